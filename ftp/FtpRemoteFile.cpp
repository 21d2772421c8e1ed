#include "ftp/FtpRemoteFile.h"

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

bool FtpRemoteFile::Read(char* block, DWORD room, DWORD* count) {
    return InternetReadFile(handle, block, room, count) != FALSE;
}

bool FtpRemoteFile::Write(const char* block, DWORD count) {
    DWORD written = 0;
    return InternetWriteFile(handle, block, count, &written) && written == count;
}

bool FtpRemoteFile::Close() {
    HINTERNET file = handle.exchange(nullptr);
    return !file || InternetCloseHandle(file);
}

void FtpRemoteFile::Abort() { AbortTransfer(handle); }

void FtpRemoteFile::Cut() {
    OwnedInternetHandle file(handle.exchange(nullptr));
    AbortTransfer(file.Get());
}
