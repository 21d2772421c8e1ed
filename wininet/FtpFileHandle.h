#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "wininet/FtpConnection.h"
#include "wininet/FtpDataPump.h"

// An open RETR or STOR. Its data moves on a pump thread in large chunks, so
// small calls cost a copy, not a trip to the network each.
class FtpFileHandle : public InternetHandle {
  public:
    FtpFileHandle(std::shared_ptr<FtpConnection> connection, bool upload, DWORD_PTR context);

    // Starts the transfer; type is 'A' or 'I'.
    DWORD Open(const std::wstring& name, char type);
    // Fills the buffer unless the file ends; read == 0 at the end.
    DWORD Read(void* buffer, DWORD size, DWORD& read);
    DWORD Write(const void* data, DWORD size, DWORD& written);
    // Finishes the transfer and reads the server's verdict. A call blocked on
    // another thread is released at once and fails as cancelled.
    DWORD Close() override;

  private:
    DWORD Finish(bool interrupted);

    std::shared_ptr<FtpConnection> connection_;
    FtpDataChannel channel_;
    std::unique_ptr<FtpDataPump> pump_;
    const bool upload_;
    std::timed_mutex ioMutex_;
    std::atomic<bool> closing_{false};
};
