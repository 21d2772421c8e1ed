#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "wininet/FtpConnection.h"
#include "wininet/FtpDataPump.h"

// An open RETR or STOR. A transfer that does not end complete (stopped early,
// failed, or aborted on request) is cut short toward the server: its data
// connection is reset and ABOR sent, so that no server keeps a cut upload as a
// complete file. Another thread may abort or close the handle while a call is
// blocked on it: that only signals, and the blocked call, on its way out, ends
// the transfer, so the closing thread never waits on the network.
class FtpFileHandle : public InternetHandle {
  public:
    FtpFileHandle(std::shared_ptr<FtpConnection> connection, bool upload, DWORD_PTR context);

    // Starts the transfer; type is 'A' or 'I'.
    DWORD Open(const std::wstring& name, char type);
    // Fills the buffer unless the file ends; read == 0 at the end.
    DWORD Read(void* buffer, DWORD size, DWORD& read);
    DWORD Write(const void* data, DWORD size, DWORD& written);
    // Marks the transfer as cut short; a call blocked on it returns at once.
    // Safe from any thread, never blocks; the handle is still to be closed.
    void Abort();
    // Without a call under way: finishes the transfer and reads the server's
    // verdict. With one on another thread: releases it (it fails as cancelled
    // and cuts the transfer short as it returns) and returns at once.
    DWORD Close() override;

  private:
    // A call's way in and out. No call enters once the handle is closing; the
    // last to leave a closing handle ends its transfer.
    bool Enter();
    void Leave();
    template <typename Work>
    DWORD Call(Work work);
    // Signals the pump; the state lock is held, so that no End runs meanwhile.
    void AbortLocked();
    // Finishes or cuts short the transfer; runs once, on the thread that closes or leaves last.
    DWORD End();
    DWORD Finish();
    DWORD CutShort();

    std::shared_ptr<FtpConnection> connection_;
    FtpDataChannel channel_;
    std::unique_ptr<FtpDataPump> pump_;
    std::mutex ioMutex_;  // one call moves data at a time
    std::mutex stateMutex_;
    int calls_ = 0;
    bool closing_ = false;
    bool ending_ = false;
    std::atomic<bool> aborted_{false};
};
