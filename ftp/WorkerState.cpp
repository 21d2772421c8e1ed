#include "ftp/WorkerState.h"

#include "ftp/TransferLanes.h"

WorkerState::WorkerState()
    : notifyWindow(nullptr),
      localFile(nullptr),
      savedDir(),
      rules(FtpOptions().GetTransferRules()),
      cancelEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      closesDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      cancel(false),
      ignoreAll(false),
      run(runEnded),
      walkReturned(true) {}

WorkerState::~WorkerState() { ClearWalkList(items); }

void WorkerState::Restart() {
    ignoreAll = false;
    cancel = false;
    ResetEvent(cancelEvent.Get());
    ResetEvent(closesDone.Get());
    closer.Reset();
    walkReturned = false;
    run = runGoing;
}

bool WorkerState::MarkCancelled() {
    int going = runGoing;
    if (!run.compare_exchange_strong(going, runCancelled)) return false;
    cancel = true;
    SetEvent(cancelEvent.Get());
    return true;
}

bool WorkerState::MarkWalkEnded() {
    walkReturned = true;
    int going = runGoing;
    return run.compare_exchange_strong(going, runEnded);
}

void WorkerState::SetLanes(TransferLanes* runLanes) {
    std::lock_guard<std::mutex> hold(lanesLock);
    lanes = runLanes;
}

void WorkerState::CutLanes() {
    std::lock_guard<std::mutex> hold(lanesLock);
    if (lanes) lanes->Cut();
}
