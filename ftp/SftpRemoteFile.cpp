#include "ftp/SftpRemoteFile.h"

#include "ssh/SftpSession.h"

bool SftpRemoteFile::Read(char* block, DWORD room, DWORD* count) {
    size_t got = 0;
    bool read = session->Read(block, room, &got);
    *count = static_cast<DWORD>(got);
    return read;
}

namespace {

// The size of one write request of the session's pipeline.
const size_t kGatherBytes = 64 * 1024;

}  // namespace

bool SftpRemoteFile::Write(const char* block, DWORD count) {
    gathered.insert(gathered.end(), block, block + count);
    return gathered.size() < kGatherBytes || SendGathered();
}

bool SftpRemoteFile::SendGathered() {
    bool sent = gathered.empty() || session->Write(gathered.data(), gathered.size());
    gathered.clear();
    return sent;
}

// The file is closed even when the last bytes could not be sent, so that the
// session stays in step for the next file.
bool SftpRemoteFile::Close() {
    if (closed.exchange(true)) return true;
    bool sent = SendGathered();
    return session->CloseFile() && sent;
}

void SftpRemoteFile::Cut() {
    closed = true;
    session->Cut();
}
