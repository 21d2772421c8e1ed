#include "ftp/WorkerState.h"

WorkerState::WorkerState()
    : notifyWindow(nullptr),
      localFile(nullptr),
      savedDir(),
      thread(nullptr),
      cancel(0),
      ignoreAll(0),
      remoteFile(nullptr) {}

WorkerState::~WorkerState() {
    ClearTransferList(items);
    if (thread) CloseHandle(thread);
}

void WorkerState::PutRemoteFile(HINTERNET file) { InterlockedExchangePointer(&remoteFile, file); }

bool WorkerState::CloseRemoteFile() {
    HINTERNET file = InterlockedExchangePointer(&remoteFile, nullptr);
    return !file || InternetCloseHandle(file);
}

void WorkerState::AbortRemoteFile() {
#ifdef CORVANE_HAS_FTP_ABORT_FILE
    HINTERNET file = remoteFile;
    if (file) FtpAbortFile(file);
#endif
}
