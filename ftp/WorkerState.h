#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>

#include "ftp/WalkItem.h"

// What the engine keeps of one transfer direction while its worker runs: the
// work list, the open files and the flags that the worker thread and the
// cancel on the user-interface thread share.
struct WorkerState {
    static const size_t kPathCapacity = 512;

    WorkerState();
    ~WorkerState();
    WorkerState(const WorkerState&) = delete;
    WorkerState& operator=(const WorkerState&) = delete;

    // Whoever takes the remote file first (the worker at the end of a file,
    // the cancel to release a blocked call) closes it; the other finds null.
    void PutRemoteFile(HINTERNET file);
    bool CloseRemoteFile();
    // Marks the open remote file as cut short, so that its close aborts the
    // transfer and the server keeps no partial upload as a complete file.
    void AbortRemoteFile();

    WalkList items;
    HWND notifyWindow;
    FILE* localFile;
    wchar_t savedDir[kPathCapacity];
    HANDLE thread;
    std::atomic<bool> cancel;
    // The walk has returned: a cancel from then on has nothing left to stop.
    bool walkEnded;
    std::atomic<bool> ignoreAll;

  private:
    std::atomic<HINTERNET> remoteFile;
};
