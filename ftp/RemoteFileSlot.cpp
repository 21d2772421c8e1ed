#include "ftp/RemoteFileSlot.h"

#include "framework/OwnedHandle.h"

namespace {

void AbortTransfer(HINTERNET file) {
#ifdef CORVANE_HAS_FTP_ABORT_FILE
    if (file) FtpAbortFile(file);
#else
    (void)file;
#endif
}

}  // namespace

bool RemoteFileSlot::Close() {
    HINTERNET file = remoteFile.exchange(nullptr);
    return !file || InternetCloseHandle(file);
}

void RemoteFileSlot::Abort() { AbortTransfer(remoteFile); }

void RemoteFileSlot::Cut() {
    OwnedInternetHandle file(remoteFile.exchange(nullptr));
    AbortTransfer(file.Get());
}
