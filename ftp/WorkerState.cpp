#include "ftp/WorkerState.h"

namespace {

void AbortTransfer(HINTERNET file) {
#ifdef CORVANE_HAS_FTP_ABORT_FILE
    if (file) FtpAbortFile(file);
#else
    (void)file;
#endif
}

}  // namespace

WorkerState::WorkerState()
    : notifyWindow(nullptr),
      localFile(nullptr),
      savedDir(),
      rules(FtpOptions().GetTransferRules()),
      cancelEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      closesDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      cancel(false),
      ignoreAll(false),
      run(runEnded),
      walkReturned(true),
      remoteFile(nullptr) {}

WorkerState::~WorkerState() { ClearWalkList(items); }

void WorkerState::Restart() {
    ignoreAll = false;
    cancel = false;
    ResetEvent(cancelEvent.Get());
    ResetEvent(closesDone.Get());
    closer.Reset();
    walkReturned = false;
    run = runGoing;
}

bool WorkerState::MarkCancelled() {
    int going = runGoing;
    if (!run.compare_exchange_strong(going, runCancelled)) return false;
    cancel = true;
    SetEvent(cancelEvent.Get());
    return true;
}

bool WorkerState::MarkWalkEnded() {
    walkReturned = true;
    int going = runGoing;
    return run.compare_exchange_strong(going, runEnded);
}

void WorkerState::PutRemoteFile(HINTERNET file) { remoteFile = file; }

bool WorkerState::CloseRemoteFile() {
    HINTERNET file = remoteFile.exchange(nullptr);
    return !file || InternetCloseHandle(file);
}

void WorkerState::AbortRemoteFile() { AbortTransfer(remoteFile); }

void WorkerState::CutRemoteFile() {
    OwnedInternetHandle file(remoteFile.exchange(nullptr));
    AbortTransfer(file.Get());
}
