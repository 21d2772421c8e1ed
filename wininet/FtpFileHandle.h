#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "wininet/FtpConnection.h"

// An open RETR or STOR. Data moves through a large buffer so that small
// calls cost a copy, not a trip to the network each.
class FtpFileHandle : public InternetHandle {
  public:
    FtpFileHandle(std::shared_ptr<FtpConnection> connection, bool upload, DWORD_PTR context);

    FtpDataChannel& Channel() { return channel_; }
    bool IsUpload() const { return upload_; }
    // Fills the buffer unless the file ends; read == 0 at the end.
    DWORD Read(void* buffer, DWORD size, DWORD& read);
    DWORD Write(const void* data, DWORD size, DWORD& written);
    // Finishes the transfer and reads the server's verdict. A call blocked on
    // another thread is released at once and fails as cancelled.
    DWORD Close() override;

  private:
    DWORD Refill();
    DWORD Flush();
    DWORD Finish(bool interrupted);

    std::shared_ptr<FtpConnection> connection_;
    FtpDataChannel channel_;
    const bool upload_;
    std::timed_mutex ioMutex_;
    std::atomic<bool> closing_{false};
    std::vector<char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    bool endOfData_ = false;
    DWORD failure_ = 0;
};
