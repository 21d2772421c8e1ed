#include "ftp/WorkerState.h"

WorkerState::WorkerState()
    : notifyWindow(nullptr),
      localFile(nullptr),
      savedDir(),
      thread(nullptr),
      cancel(false),
      walkEnded(false),
      ignoreAll(false),
      remoteFile(nullptr) {}

WorkerState::~WorkerState() {
    ClearWalkList(items);
    if (thread) CloseHandle(thread);
}

void WorkerState::PutRemoteFile(HINTERNET file) { remoteFile = file; }

bool WorkerState::CloseRemoteFile() {
    HINTERNET file = remoteFile.exchange(nullptr);
    return !file || InternetCloseHandle(file);
}

void WorkerState::AbortRemoteFile() {
#ifdef CORVANE_HAS_FTP_ABORT_FILE
    HINTERNET file = remoteFile;
    if (file) FtpAbortFile(file);
#endif
}
