// The engine's side of the transfer workers: starting them, and stopping them
// on a cancel without freezing the user-interface thread.
#include "framework/TextUtil.h"
#include "ftp/DownloadWorker.h"
#include "ftp/FtpFS.h"
#include "ftp/SentMessageWait.h"
#include "ftp/TransferMessages.h"
#include "ftp/UploadWorker.h"

namespace {
// How long a cancel waits for the worker to end on its own, first with the
// connection open, then after closing it to release a call blocked on it.
const DWORD kCancelWaitMs = 5000;
}  // namespace

HRESULT FtpFS::StartDownload(const TransferList& items, const wchar_t* localDir,
                             HWND notifyWindow) {
    if (busy || !CopyText(localTargetDir, localDir)) return E_FAIL;
    return StartWorker(download, items, notifyWindow, &FtpFS::DownloadThread);
}

HRESULT FtpFS::StartUpload(const TransferList& items, HWND notifyWindow) {
    if (busy) return E_FAIL;
    return StartWorker(upload, items, notifyWindow, &FtpFS::UploadThread);
}

HRESULT FtpFS::StartWorker(WorkerState& state, const TransferList& items, HWND notifyWindow,
                           LPTHREAD_START_ROUTINE procedure) {
    ClearTransferList(state.items);
    for (TransferList::Node* node = items.GetHead(); node; node = node->next)
        state.items.AddTail(new TransferItem(*node->element));
    state.notifyWindow = notifyWindow;
    DWORD length = WorkerState::kPathCapacity;
    if (FAILED(GetCurrentDir(state.savedDir, &length))) state.savedDir[0] = L'\0';
    state.ignoreAll = 0;
    busy = 1;
    state.cancel = 0;
    if (state.thread) CloseHandle(state.thread);
    state.thread = CreateThread(nullptr, 0, procedure, this, 0, nullptr);
    if (state.thread) return S_OK;
    busy = 0;
    return E_FAIL;
}

DWORD WINAPI FtpFS::DownloadThread(LPVOID parameter) {
    FtpFS* engine = static_cast<FtpFS*>(parameter);
    DownloadWorker walk(*engine, engine->download, engine->downloadCounters,
                        engine->localTargetDir);
    return engine->RunWorker(engine->download, walk, WM_DOWNLOAD_STARTED, WM_DOWNLOAD_ENDED);
}

DWORD WINAPI FtpFS::UploadThread(LPVOID parameter) {
    FtpFS* engine = static_cast<FtpFS*>(parameter);
    UploadWorker walk(*engine, engine->upload, engine->uploadCounters);
    return engine->RunWorker(engine->upload, walk, WM_UPLOAD_STARTED, WM_UPLOAD_ENDED);
}

// After a cancel the end message is the cancel's to send, once it has stopped the worker.
DWORD FtpFS::RunWorker(WorkerState& state, TransferWalk& walk, UINT startMessage, UINT endMessage) {
    if (state.notifyWindow) SendMessageW(state.notifyWindow, startMessage, 0, 0);
    bool cancelled = walk.Run();
    if (!cancelled) {
        if (state.notifyWindow) SendMessageW(state.notifyWindow, endMessage, 0, 0);
        busy = 0;
    }
    return cancelled;
}

HRESULT FtpFS::CancelDownload() { return CancelWorker(download, WM_DOWNLOAD_ENDED); }

HRESULT FtpFS::CancelUpload() { return CancelWorker(upload, WM_UPLOAD_ENDED); }

// A run that already ended by itself has nothing to stop: no second end message, no new login.
HRESULT FtpFS::CancelWorker(WorkerState& state, UINT endMessage) {
    if (!state.thread || !busy) return E_FAIL;
    StopWorker(state);
    if (state.notifyWindow) SendMessageW(state.notifyWindow, endMessage, 0, 0);
    // The connection may be in the middle of a transfer: a fresh login leaves no doubt.
    Disconnect();
    Connect(server, user, password, port);
    busy = 0;
    return SetCurrentDir(state.savedDir);
}

// Closing the remote file releases a worker blocked in a read or write, and
// the worker's reports keep being served meanwhile, so it sees the flag and
// ends by itself. Terminating it, which may leave a lock held, is the last
// resort. The wait is for the thread itself, so that nothing of it still runs
// when the engine goes.
void FtpFS::StopWorker(WorkerState& state) {
    if (!state.thread || WaitForSingleObject(state.thread, 0) == WAIT_OBJECT_0) return;
    state.cancel = 1;
    state.AbortRemoteFile();
    state.CloseRemoteFile();
    if (WaitServingSentMessages(state.thread, kCancelWaitMs)) return;
    Disconnect();
    if (WaitServingSentMessages(state.thread, kCancelWaitMs)) return;
    TerminateThread(state.thread, 0);
    FindClose();
    // The local stream is left open: the dead thread may hold its lock.
    state.localFile = nullptr;
}
