// The engine's side of the transfer workers: starting them, and stopping them
// on a cancel without freezing the user-interface thread.
#include "framework/TextUtil.h"
#include "ftp/DownloadWorker.h"
#include "ftp/FtpFS.h"
#include "ftp/SentMessageWait.h"
#include "ftp/TransferMessages.h"
#include "ftp/UploadWorker.h"

HRESULT FtpFS::StartDownload(const TransferList& items, const wchar_t* localDir, HWND notifyWindow,
                             const wchar_t* remoteDir) {
    if (busy || !CopyText(localTargetDir, localDir)) return E_FAIL;
    return StartWorker(download, items, notifyWindow, remoteDir, &FtpFS::DownloadThread);
}

HRESULT FtpFS::StartUpload(const TransferList& items, HWND notifyWindow, const wchar_t* remoteDir) {
    if (busy) return E_FAIL;
    return StartWorker(upload, items, notifyWindow, remoteDir, &FtpFS::UploadThread);
}

HRESULT FtpFS::StartWorker(WorkerState& state, const TransferList& items, HWND notifyWindow,
                           const wchar_t* remoteDir, LPTHREAD_START_ROUTINE procedure) {
    ClearWalkList(state.items);
    for (TransferList::Node* node = items.GetHead(); node; node = node->next)
        state.items.AddTail(new WalkItem{*node->element, 0, false});
    state.notifyWindow = notifyWindow;
    DWORD length = WorkerState::kPathCapacity;
    if (remoteDir ? !CopyText(state.savedDir, remoteDir)
                  : FAILED(GetCurrentDir(state.savedDir, &length)))
        state.savedDir[0] = L'\0';
    state.ignoreAll = false;
    busy = true;
    state.cancel = false;
    state.walkEnded = false;
    if (state.thread) CloseHandle(state.thread);
    state.thread = CreateThread(nullptr, 0, procedure, this, 0, nullptr);
    if (state.thread) return S_OK;
    busy = false;
    return E_FAIL;
}

DWORD WINAPI FtpFS::DownloadThread(LPVOID parameter) {
    FtpFS* engine = static_cast<FtpFS*>(parameter);
    DownloadWorker walk(*engine, engine->download, engine->downloadCounters,
                        engine->localTargetDir);
    return engine->RunWorker(engine->download, walk, WM_APP_DOWNLOAD_STARTED,
                             WM_APP_DOWNLOAD_ENDED);
}

DWORD WINAPI FtpFS::UploadThread(LPVOID parameter) {
    FtpFS* engine = static_cast<FtpFS*>(parameter);
    UploadWorker walk(*engine, engine->upload, engine->uploadCounters);
    return engine->RunWorker(engine->upload, walk, WM_APP_UPLOAD_STARTED, WM_APP_UPLOAD_ENDED);
}

// After a cancel the worker logs in again before it reports the end, so the
// view finds the connection ready when the panel shows Done.
DWORD FtpFS::RunWorker(WorkerState& state, TransferWalk& walk, UINT startMessage, UINT endMessage) {
    if (state.notifyWindow) SendMessageW(state.notifyWindow, startMessage, 0, 0);
    walk.Run();
    {
        std::lock_guard<std::mutex> guard(endLock);
        state.walkEnded = true;
    }
    bool cancelled = state.cancel;
    if (cancelled && !closing) ResumeAfterCancel(state);
    if (state.notifyWindow) SendMessageW(state.notifyWindow, endMessage, 0, 0);
    busy = false;
    return cancelled;
}

// The connection may have been cut in the middle of a transfer: a fresh login leaves no doubt.
void FtpFS::ResumeAfterCancel(WorkerState& state) { Reconnect(state.savedDir); }

// The end is told from the worker just before it lets the engine go, so a Done
// pressed at once may meet a worker that is only returning: wait for that, briefly.
bool FtpFS::SettleEndedRun() {
    for (WorkerState* state : {&download, &upload}) {
        bool ended;
        {
            std::lock_guard<std::mutex> guard(endLock);
            ended = busy && state->thread && state->walkEnded;
        }
        if (ended) WaitForSingleObject(state->thread, kEndedWorkerWaitMs);
    }
    return !busy;
}

HRESULT FtpFS::CancelDownload() { return CancelWorker(download); }

HRESULT FtpFS::CancelUpload() { return CancelWorker(upload); }

// A run that already ended by itself has nothing to stop: no second end message, no new login.
// Closing the remote file and the connection releases a worker blocked on either.
HRESULT FtpFS::CancelWorker(WorkerState& state) {
    std::lock_guard<std::mutex> guard(endLock);
    if (!state.thread || !busy || state.walkEnded) return E_FAIL;
    if (state.cancel) return S_OK;
    state.cancel = true;
    state.AbortRemoteFile();
    state.CloseRemoteFile();
    Disconnect();
    return S_OK;
}

// The worker is never killed, which could leave a lock of the C runtime held:
// once cancelled it ends by itself, and the wait serves its reports meanwhile.
// The wait is for the thread itself, so that nothing of it still runs when the
// engine goes.
void FtpFS::StopWorker(WorkerState& state) {
    if (!state.thread) return;
    CancelWorker(state);
    WaitServingSentMessages(state.thread, INFINITE);
}
