#include "ftp/TransferLanes.h"

#include <cwctype>

#include "ftp/PartFile.h"

TransferLanes::TransferLanes(const RemoteFS& engine, Direction way, unsigned extra,
                             const std::atomic<bool>& cancelled)
    : walkEngine(engine), direction(way), cancel(cancelled) {
    for (unsigned i = 0; i < extra; ++i) {
        lanes.emplace_back(new Lane);
        lanes.back()->pool = this;
        lanes.back()->index = i;
    }
}

// A login the server is slow to answer has no file left to move: it is cut
// rather than waited for, and cut again until its thread ends, since a cut
// that comes before the login has made its connection reaches nothing.
void TransferLanes::End() {
    {
        std::lock_guard<std::mutex> hold(lock);
        ending = true;
    }
    changed.notify_all();
    for (auto& lane : lanes) {
        if (!lane->thread) continue;
        do CutLogin(*lane);
        while (WaitForSingleObject(lane->thread.Get(), kCutAgainMs) == WAIT_TIMEOUT);
    }
}

// After a cancel a connection logging in again after a drop is cut too.
void TransferLanes::CutLogin(Lane& lane) {
    std::lock_guard<std::mutex> hold(lock);
    if (lane.engine && (!lane.loggedIn || cancel)) lane.engine->CutConnection();
}

// The siblings are made here, on the walk's thread, which owns the walk's
// engine: its login settings are read while nothing else changes them. The
// connections then log in one after another, each starting the next when its
// login has ended: threads that start while others end (a refused login's,
// a name lookup's) can hang in the C runtime's thread-local storage.
void TransferLanes::StartLanes(unsigned useful) {
    started = true;
    if (lanes.size() > useful) lanes.resize(useful);
    for (auto& lane : lanes) lane->engine = walkEngine.MakeSibling();
    serving = static_cast<unsigned>(lanes.size());
    StartLane(0);
}

// Under the lock; a lane that cannot start counts as one that left at once.
void TransferLanes::StartLane(size_t index) {
    for (; index < lanes.size(); ++index) {
        Lane& lane = *lanes[index];
        lane.thread.Reset(CreateThread(nullptr, 0, LaneThread, &lane, 0, nullptr));
        if (lane.thread) return;
        --serving;
    }
}

DWORD WINAPI TransferLanes::LaneThread(LPVOID parameter) {
    Lane* lane = static_cast<Lane*>(parameter);
    lane->pool->Serve(*lane);
    return 0;
}

bool TransferLanes::Offer(std::unique_ptr<FileJob>& job, unsigned useful, std::wstring& target) {
    if (lanes.empty()) return false;
    std::lock_guard<std::mutex> hold(lock);
    if (!started) StartLanes(useful);
    if (stopTaking || queued.size() >= loggedIn) return false;
    target = TargetOf(*job);
    targets.insert(target);
    queued.push_back(std::move(job));
    changed.notify_all();
    return true;
}

void TransferLanes::AwaitTarget(const FileJob& job) {
    if (lanes.empty()) return;
    std::wstring target = TargetOf(job);
    std::unique_lock<std::mutex> hold(lock);
    // Without a connection left the queued file waits for the walk itself.
    changed.wait(hold, [&] { return cancel || serving == 0 || targets.count(target) == 0; });
}

std::unique_ptr<FileJob> TransferLanes::TakeFailed() {
    std::lock_guard<std::mutex> hold(lock);
    if (failed.empty()) return nullptr;
    std::unique_ptr<FileJob> job = std::move(failed.front());
    failed.pop_front();
    return job;
}

void TransferLanes::Retry(std::unique_ptr<FileJob> job) {
    std::lock_guard<std::mutex> hold(lock);
    targets.insert(TargetOf(*job));
    queued.push_back(std::move(job));
    changed.notify_all();
}

bool TransferLanes::Drained() const {
    return queued.empty() && forWalk.empty() && underWay == 0 && failed.empty();
}

bool TransferLanes::WaitUntilDrained(DWORD ms) {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait_for(hold, std::chrono::milliseconds(ms), [&] {
        return cancel || Drained() || !failed.empty() || !forWalk.empty() || !queued.empty();
    });
    return Drained();
}

std::wstring TransferLanes::RunQueued(RemoteFS& engine, RemoteFileSlot& slot,
                                      const std::wstring& folder, std::function<void()> report) {
    JobTransfer mover(engine, slot, walkFigures, cancel, folder, std::move(report));
    for (;;) {
        std::unique_ptr<FileJob> job;
        {
            std::lock_guard<std::mutex> hold(lock);
            std::deque<std::unique_ptr<FileJob>>& from = forWalk.empty() ? queued : forWalk;
            if (from.empty() || stopTaking) break;
            job = std::move(from.front());
            from.pop_front();
            ++underWay;
        }
        JobTransfer::Outcome outcome = Move(mover, *job);
        // The walk's own connection logs in again by itself when it is asked next.
        Ended(std::move(job),
              outcome == JobTransfer::Outcome::lost ? JobTransfer::Outcome::failed : outcome);
    }
    return mover.Folder();
}

void TransferLanes::StopTaking() {
    std::lock_guard<std::mutex> hold(lock);
    stopTaking = true;
    for (auto* list : {&queued, &forWalk}) {
        for (auto& job : *list) targets.erase(targets.find(TargetOf(*job)));
        list->clear();
    }
    changed.notify_all();
}

// The closes only signal the threads blocked on them: nothing here waits long.
void TransferLanes::Cut() {
    std::lock_guard<std::mutex> hold(lock);
    for (auto& lane : lanes) {
        lane->slot.Cut();
        if (lane->engine) lane->engine->CutConnection();
    }
    changed.notify_all();
}

void TransferLanes::AddFigures(DWORD& filesDone, ULONGLONG& totalBytes, RunTotals& run) {
    filesDone += walkFigures.files;
    totalBytes += walkFigures.bytes;
    std::wstring walkFile = walkFigures.File();
    if (!walkFile.empty()) SetLine(run.lines[0], walkFile, walkFigures);
    for (auto& lane : lanes) {
        LaneFigures& figures = lane->figures;
        filesDone += figures.files;
        totalBytes += figures.bytes;
        {
            std::lock_guard<std::mutex> hold(lock);
            if (!lane->loggedIn || run.connections >= kMaxTransferConnections) continue;
        }
        SetLine(run.lines[run.connections++], figures.File(), figures);
    }
}

void TransferLanes::SetLine(ConnectionFigures& line, const std::wstring& file,
                            const LaneFigures& figures) {
    wcsncpy(line.file, file.c_str(), MAX_PATH - 1);
    line.file[MAX_PATH - 1] = L'\0';
    line.fileBytes = figures.fileBytes;
    line.fileSize = figures.fileSize;
}

// One connection's life: log in, move files until the run ends, leave.
void TransferLanes::Serve(Lane& lane) {
    bool connected = LogIn(lane);
    JobTransfer mover(*lane.engine, lane.slot, lane.figures, cancel, std::wstring());
    unsigned drops = 0;
    while (connected) {
        std::unique_ptr<FileJob> job = Take();
        if (!job) break;
        JobTransfer::Outcome outcome = Move(mover, *job);
        if (outcome != JobTransfer::Outcome::lost) {
            drops = 0;
            Ended(std::move(job), outcome);
            continue;
        }
        std::wstring folder = job->remoteFolder;
        Interrupted(std::move(job));
        connected =
            ++drops < kDropsPerLane && !cancel && SUCCEEDED(lane.engine->Reconnect(folder.c_str()));
        mover.LoggedInAt(folder);
    }
    // The times set unanswered are in place by Done.
    if (connected && !cancel) lane.engine->Settle();
    LaneLeft(lane);
}

bool TransferLanes::LogIn(Lane& lane) {
    bool connected = !cancel && SUCCEEDED(lane.engine->Reconnect(nullptr));
    std::lock_guard<std::mutex> hold(lock);
    lane.loggedIn = connected;
    if (connected) ++loggedIn;
    if (cancel || ending)
        serving -= static_cast<unsigned>(lanes.size() - lane.index - 1);  // never started
    else
        StartLane(lane.index + 1);
    return connected;
}

std::unique_ptr<FileJob> TransferLanes::Take() {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [&] { return cancel || ending || stopTaking || !queued.empty(); });
    if (cancel || stopTaking || queued.empty()) return nullptr;
    std::unique_ptr<FileJob> job = std::move(queued.front());
    queued.pop_front();
    ++underWay;
    return job;
}

JobTransfer::Outcome TransferLanes::Move(JobTransfer& mover, FileJob& job) {
    return direction == Direction::download ? mover.Download(job) : mover.Upload(job);
}

// Taken up again where it stopped, first of all: a download from its part
// file, if one was made, an upload from the server's copy.
void TransferLanes::Interrupted(std::unique_ptr<FileJob> job) {
    job->resume = job->continuable &&
                  (direction == Direction::upload ||
                   RemoteFS::LocalFileExists(PartFileName(job->localPath.c_str()).c_str()));
    std::lock_guard<std::mutex> hold(lock);
    --underWay;
    // A server may keep dropping extra connections only: the walk's own takes it then.
    if (++job->interruptions > kInterruptionsPerFile)
        forWalk.push_back(std::move(job));
    else
        queued.push_front(std::move(job));
    changed.notify_all();
}

void TransferLanes::Ended(std::unique_ptr<FileJob> job, JobTransfer::Outcome outcome) {
    std::lock_guard<std::mutex> hold(lock);
    --underWay;
    targets.erase(targets.find(TargetOf(*job)));
    if (outcome == JobTransfer::Outcome::failed) failed.push_back(std::move(job));
    changed.notify_all();
}

void TransferLanes::LaneLeft(Lane& lane) {
    std::lock_guard<std::mutex> hold(lock);
    if (lane.loggedIn) --loggedIn;
    lane.loggedIn = false;
    --serving;
    changed.notify_all();
}

bool TransferLanes::Holds(const std::wstring& target) {
    std::lock_guard<std::mutex> hold(lock);
    return targets.count(target) != 0;
}

// Local names compare without regard to letter case, as the file system does.
std::wstring TransferLanes::TargetOf(const FileJob& job) const {
    if (direction == Direction::upload) return job.remoteFolder + L'/' + job.remoteName;
    std::wstring folded = job.localPath;
    for (wchar_t& c : folded) c = static_cast<wchar_t>(towlower(c));
    return folded;
}
