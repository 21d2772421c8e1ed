#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>
#include <mutex>

#include "framework/OwnedHandle.h"
#include "ftp/RemoteFileSlot.h"
#include "ftp/WalkItem.h"
#include "settings/FtpOptions.h"

class TransferLanes;

// What the engine keeps of one transfer direction while its worker runs: the
// work list, the open files, the worker's copy of the options, and the flags
// that the worker thread and the cancel on the user-interface thread share.
struct WorkerState {
    static const size_t kPathCapacity = 512;

    WorkerState();
    ~WorkerState();
    WorkerState(const WorkerState&) = delete;
    WorkerState& operator=(const WorkerState&) = delete;

    // Readies the flags for a new run.
    void Restart();
    // The user-interface thread's side of a cancel, which never waits: true
    // when the run still had to see it (the walk had not ended); the worker
    // then logs in again. Sets the flag and the event.
    bool MarkCancelled();
    // The worker's side once its walk returned: true when no cancel came
    // before, which then finds nothing left to stop.
    bool MarkWalkEnded();
    // The walk has returned, cancelled or not: the worker only ends its run.
    bool WalkEnded() const { return walkReturned; }

    // The run's extra connections while it has them, for the cancel to cut:
    // set and cleared by the walk, used by the cancel's own thread.
    void SetLanes(TransferLanes* lanes);
    void CutLanes();

    WalkList items;
    // The file the walk's own connection moves.
    RemoteFileSlot remoteFile;
    HWND notifyWindow;
    FILE* localFile;
    wchar_t savedDir[kPathCapacity];
    TransferRules rules;
    OwnedHandle thread;
    // Set with the flag: ends the worker's wait for a prompt's answer at once.
    OwnedHandle cancelEvent;
    // The thread that closes the remote file and the connection for a cancel,
    // and the event it sets when done: the worker waits for it before it logs
    // in again or ends, so no close meets the new connection or a gone engine.
    OwnedHandle closer;
    OwnedHandle closesDone;
    std::atomic<bool> cancel;
    std::atomic<bool> ignoreAll;

  private:
    enum Run { runGoing, runCancelled, runEnded };
    // Decided once per run, without a lock: a cancel or the walk's end.
    std::atomic<int> run;
    std::atomic<bool> walkReturned;
    std::mutex lanesLock;
    TransferLanes* lanes = nullptr;
};
