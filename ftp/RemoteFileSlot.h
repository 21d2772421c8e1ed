#pragma once

#include <mutex>

#include "ftp/RemoteFile.h"

// The remote file one connection moves now, shared by the thread that moves
// it and a cancel on another thread. Whoever takes it first (the mover at the
// end of the file, the cancel to release a blocked call) closes it; the other
// finds none. The lock is held only to take or copy the pointer.
class RemoteFileSlot {
  public:
    void Put(RemoteFileHandle file);
    // True when there was none or its close succeeded (the server's verdict).
    bool Close();
    // Marks the open file as cut short, so that its close aborts the transfer.
    void Abort();
    // The cancel's close: takes the file and cuts it.
    void Cut();

  private:
    RemoteFileHandle Take();

    std::mutex lock;
    RemoteFileHandle file;
};
