#pragma once

#include <windows.h>

#include <memory>

// One open file on the server, whatever the protocol: the copy loop reads or
// writes it block by block, and its close gives the server's verdict. A cancel
// on another thread may cut it while a call blocks on it, so it is shared: the
// thread that moves it keeps it alive until its own call has returned.
class RemoteFile {
  public:
    virtual ~RemoteFile() = default;
    // A count of 0 is the end of the file.
    virtual bool Read(char* block, DWORD room, DWORD* count) = 0;
    virtual bool Write(const char* block, DWORD count) = 0;
    // True when the server took the whole file; it is closed either way.
    virtual bool Close() = 0;
    // Marks the file as cut short: its close then aborts the transfer, so that
    // the server keeps no partial upload as a complete file.
    virtual void Abort() = 0;
    // From any thread: ends the transfer so that a call blocked on it returns at once.
    virtual void Cut() = 0;
};

using RemoteFileHandle = std::shared_ptr<RemoteFile>;
