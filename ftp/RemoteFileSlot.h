#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>

// The remote file one connection moves now, shared by the thread that moves
// it and a cancel on another thread. Whoever takes it first (the mover at the
// end of the file, the cancel to release a blocked call) closes it; the other
// finds null.
class RemoteFileSlot {
  public:
    void Put(HINTERNET file) { remoteFile = file; }
    // True when there was none or its close succeeded (the server's verdict).
    bool Close();
    // Marks the open file as cut short, so that its close aborts the transfer
    // and the server keeps no partial upload as a complete file.
    void Abort();
    // The cancel's close: takes the file, aborts it and closes it.
    void Cut();

  private:
    std::atomic<HINTERNET> remoteFile{nullptr};
};
