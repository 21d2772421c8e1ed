#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "ftp/RemoteFile.h"

class SftpSession;

// A file of an SFTP transfer: the session's one open file, read or written
// with many requests in flight. SFTP has no text mode, so every transfer
// moves the bytes as they are. The copy loop's small blocks are gathered into
// large writes: one request per block cost an upload some 2 ms per 5 KiB
// under Wine. A cut ends the whole session (SFTP cannot
// abort one request), which releases a call blocked on it; the engine then
// logs in again.
class SftpRemoteFile : public RemoteFile {
  public:
    explicit SftpRemoteFile(std::shared_ptr<SftpSession> session) : session(std::move(session)) {}
    ~SftpRemoteFile() override { Close(); }

    bool Read(char* block, DWORD room, DWORD* count) override;
    bool Write(const char* block, DWORD count) override;
    // Sends what is gathered and waits for the answers to every write: whether
    // the server stored them all.
    bool Close() override;
    // What was sent stays on the server, as the start a resume goes on from;
    // what is only gathered is not sent.
    void Abort() override { gathered.clear(); }
    void Cut() override;

  private:
    bool SendGathered();

    std::shared_ptr<SftpSession> session;
    std::vector<char> gathered;
    std::atomic<bool> closed{false};
};
