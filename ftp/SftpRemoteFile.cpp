#include "ftp/SftpRemoteFile.h"

#include "ssh/SftpSession.h"

bool SftpRemoteFile::Read(char* block, DWORD room, DWORD* count) {
    size_t got = 0;
    bool read = session->Read(block, room, &got);
    *count = static_cast<DWORD>(got);
    return read;
}

bool SftpRemoteFile::Write(const char* block, DWORD count) { return session->Write(block, count); }

bool SftpRemoteFile::Close() { return closed.exchange(true) || session->CloseFile(); }

void SftpRemoteFile::Cut() {
    closed = true;
    session->Cut();
}
