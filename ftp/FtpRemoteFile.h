#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>

#include "ftp/RemoteFile.h"

// A file of an FTP transfer: a WinINet file handle, whose close waits for the
// server's reply on the transfer. A cut aborts the transfer and closes the
// handle, which releases a call blocked on it.
class FtpRemoteFile : public RemoteFile {
  public:
    explicit FtpRemoteFile(HINTERNET opened) : handle(opened) {}
    ~FtpRemoteFile() override { Close(); }

    bool Read(char* block, DWORD room, DWORD* count) override;
    bool Write(const char* block, DWORD count) override;
    bool Close() override;
    void Abort() override;
    void Cut() override;

  private:
    std::atomic<HINTERNET> handle;
};
