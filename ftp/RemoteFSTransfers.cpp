// The engine's side of the transfer workers: starting them, and stopping them
// on a cancel without holding the user-interface thread.
#include <memory>

#include "app/FtpClientApp.h"
#include "framework/TextUtil.h"
#include "ftp/DownloadWorker.h"
#include "ftp/RemoteFS.h"
#include "ftp/SentMessageWait.h"
#include "ftp/TransferMessages.h"
#include "ftp/UploadWorker.h"

namespace {

struct CancelCloses {
    RemoteFS* engine;
    WorkerState* state;
};

// Closes on a thread of its own, since a close may wait for the server: the
// remote file (aborted first), the run's extra connections and the
// connection, which releases a worker blocked on any of them. The event goes last: the engine may
// be gone after it.
DWORD WINAPI CloseForCancel(LPVOID parameter) {
    std::unique_ptr<CancelCloses> job(static_cast<CancelCloses*>(parameter));
    job->state->remoteFile.Cut();
    job->state->CutLanes();
    job->engine->CutConnection();
    SetEvent(job->state->closesDone.Get());
    return 0;
}

}  // namespace

HRESULT RemoteFS::StartDownload(const TransferList& items, const wchar_t* localDir,
                                HWND notifyWindow, const wchar_t* remoteDir) {
    if (busy || !CopyText(localTargetDir, localDir)) return E_FAIL;
    return StartWorker(download, items, notifyWindow, remoteDir, &RemoteFS::DownloadThread);
}

HRESULT RemoteFS::StartUpload(const TransferList& items, HWND notifyWindow,
                              const wchar_t* remoteDir) {
    if (busy) return E_FAIL;
    return StartWorker(upload, items, notifyWindow, remoteDir, &RemoteFS::UploadThread);
}

// The options are copied here, on the user-interface thread; a start folder
// the caller does not know is asked by the worker, as it costs a round trip.
HRESULT RemoteFS::StartWorker(WorkerState& state, const TransferList& items, HWND notifyWindow,
                              const wchar_t* remoteDir, LPTHREAD_START_ROUTINE procedure) {
    ClearWalkList(state.items);
    for (TransferList::Node* node = items.GetHead(); node; node = node->next)
        state.items.AddTail(new WalkItem{*node->element, 0, false});
    state.notifyWindow = notifyWindow;
    FtpClientApp* app = GetApp();
    state.rules = (app ? app->options : FtpOptions()).GetTransferRules();
    if (!remoteDir || !CopyText(state.savedDir, remoteDir)) state.savedDir[0] = L'\0';
    state.Restart();
    busy = true;
    state.thread.Reset(CreateThread(nullptr, 0, procedure, this, 0, nullptr));
    if (state.thread) return S_OK;
    busy = false;
    return E_FAIL;
}

DWORD WINAPI RemoteFS::DownloadThread(LPVOID parameter) {
    RemoteFS* engine = static_cast<RemoteFS*>(parameter);
    DownloadWorker walk(*engine, engine->download, engine->downloadCounters,
                        engine->localTargetDir);
    return engine->RunWorker(engine->download, walk, WM_APP_DOWNLOAD_STARTED,
                             WM_APP_DOWNLOAD_ENDED);
}

DWORD WINAPI RemoteFS::UploadThread(LPVOID parameter) {
    RemoteFS* engine = static_cast<RemoteFS*>(parameter);
    UploadWorker walk(*engine, engine->upload, engine->uploadCounters);
    return engine->RunWorker(engine->upload, walk, WM_APP_UPLOAD_STARTED, WM_APP_UPLOAD_ENDED);
}

// After a cancel the worker logs in again before it reports the end, so the
// view finds the connection ready when the panel shows Done.
DWORD RemoteFS::RunWorker(WorkerState& state, TransferWalk& walk, UINT startMessage,
                          UINT endMessage) {
    if (state.notifyWindow) SendMessageW(state.notifyWindow, startMessage, 0, 0);
    DWORD length = WorkerState::kPathCapacity;
    if (!state.savedDir[0] && (state.cancel || FAILED(GetCurrentDir(state.savedDir, &length))))
        state.savedDir[0] = L'\0';
    walk.Run();
    bool cancelled = !state.MarkWalkEnded();
    if (cancelled) ResumeAfterCancel(state);
    if (state.notifyWindow) SendMessageW(state.notifyWindow, endMessage, 0, 0);
    busy = false;
    return cancelled;
}

// The connection may have been cut in the middle of a transfer: a fresh login
// leaves no doubt, once the cancel's closes are done (they would close it too).
void RemoteFS::ResumeAfterCancel(WorkerState& state) {
    WaitForSingleObject(state.closesDone.Get(), INFINITE);
    if (!closing) Reconnect(state.savedDir);
}

// The end is told from the worker just before it lets the engine go, so a Done
// pressed at once may meet a worker that is only returning: wait for that, briefly.
bool RemoteFS::SettleEndedRun() {
    for (WorkerState* state : {&download, &upload})
        if (busy && state->thread && state->WalkEnded())
            WaitForSingleObject(state->thread.Get(), kEndedWorkerWaitMs);
    return !busy;
}

void RemoteFS::EndWorkers() {
    closing = true;
    CancelDownload();
    CancelUpload();
}

void RemoteFS::StopWorkers() {
    EndWorkers();
    StopWorker(download);
    StopWorker(upload);
}

HRESULT RemoteFS::CancelDownload() { return CancelWorker(download); }

HRESULT RemoteFS::CancelUpload() { return CancelWorker(upload); }

// Only marks the run and hands the closes to a thread of their own: nothing
// here waits on the network or on the worker. A run that already ended by
// itself has nothing to stop: no second end message, no new login.
HRESULT RemoteFS::CancelWorker(WorkerState& state) {
    if (!busy || state.WalkEnded()) return E_FAIL;
    if (state.cancel) return S_OK;
    if (!state.MarkCancelled()) return E_FAIL;
    auto* job = new CancelCloses{this, &state};
    state.closer.Reset(CreateThread(nullptr, 0, CloseForCancel, job, 0, nullptr));
    if (state.closer) return S_OK;
    // Without the thread the worker meets the flag at its next step instead.
    delete job;
    SetEvent(state.closesDone.Get());
    return S_OK;
}

// The worker is never killed, which could leave a lock of the C runtime held:
// once cancelled it ends by itself, and the wait serves its reports meanwhile.
// The wait is for the thread itself, so that nothing of it still runs when the
// engine goes.
void RemoteFS::StopWorker(WorkerState& state) {
    if (!state.thread) return;
    CancelWorker(state);
    WaitServingSentMessages(state.thread.Get(), kStopWaitMs);
}
