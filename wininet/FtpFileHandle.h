#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "wininet/FtpConnection.h"
#include "wininet/FtpDataPump.h"

// An open RETR or STOR. A transfer that does not end complete (stopped early,
// failed, or aborted on request) is cut short toward the server: its data
// connection is reset and ABOR sent, so that no server keeps a cut upload as a
// complete file.
class FtpFileHandle : public InternetHandle {
  public:
    FtpFileHandle(std::shared_ptr<FtpConnection> connection, bool upload, DWORD_PTR context);

    // Starts the transfer; type is 'A' or 'I'.
    DWORD Open(const std::wstring& name, char type);
    // Fills the buffer unless the file ends; read == 0 at the end.
    DWORD Read(void* buffer, DWORD size, DWORD& read);
    DWORD Write(const void* data, DWORD size, DWORD& written);
    // Marks the transfer as cut short; a call blocked on it returns at once.
    // Safe from any thread; the handle is still to be closed.
    void Abort();
    // Finishes the transfer and reads the server's verdict. A call blocked on
    // another thread is released at once and fails as cancelled.
    DWORD Close() override;

  private:
    DWORD Finish();
    DWORD CutShort();

    std::shared_ptr<FtpConnection> connection_;
    FtpDataChannel channel_;
    std::unique_ptr<FtpDataPump> pump_;
    const bool upload_;
    std::timed_mutex ioMutex_;
    std::atomic<bool> closing_{false};
    std::atomic<bool> aborted_{false};
};
