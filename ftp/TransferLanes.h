#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/OwnedHandle.h"
#include "ftp/FileJob.h"
#include "ftp/RemoteFS.h"
#include "ftp/JobTransfer.h"
#include "ftp/TransferTypes.h"

// The extra connections of one transfer run, each on a thread of its own:
// they log in as the walk's engine does, take decided files from a queue and
// say what became of them, while the walk lists folders and asks the user.
// A connection that cannot log in (a server that allows fewer), or that
// keeps losing its connection, leaves the run with fewer connections; its
// file goes back to the queue. Nothing here asks anyone or touches a window:
// failed files wait for the walk, which asks about them one at a time.
class TransferLanes {
  public:
    enum class Direction { download, upload };

    // extra: how many connections besides the walk's; cancel: the run's flag.
    TransferLanes(const RemoteFS& engine, Direction direction, unsigned extra,
                  const std::atomic<bool>& cancel);
    ~TransferLanes() { End(); }
    // Lets every connection finish its file, then ends them and waits; a login
    // still under way is cut.
    void End();
    TransferLanes(const TransferLanes&) = delete;
    TransferLanes& operator=(const TransferLanes&) = delete;

    // Queues the job when a logged-in connection will be free for it soon
    // (and starts the logins the first time, at most `useful` of them), and
    // gives the target it holds the job under; false: the walk does it itself.
    bool Offer(std::unique_ptr<FileJob>& job, unsigned useful, std::wstring& target);
    // Waits while a connection still has a file of the job's target (a listing
    // that repeats a name must not have two connections write one file).
    void AwaitTarget(const FileJob& job);
    // A file that failed on a connection and waits for the user's answer.
    std::unique_ptr<FileJob> TakeFailed();
    // The user's Retry: the file goes to the queue again.
    void Retry(std::unique_ptr<FileJob> job);
    // Waits up to ms for news; true when nothing is queued, under way or failed.
    bool WaitUntilDrained(DWORD ms);
    // Once the walk has listed everything its connection is as free as the
    // others: queued files no other connection has taken yet, and files cut
    // too often on the others, are done on it (it stands in folder and stays
    // where it ends up; report is called after every block); those that fail
    // join the failed ones. Gives where the connection stands.
    std::wstring RunQueued(RemoteFS& engine, RemoteFileSlot& slot, const std::wstring& folder,
                           std::function<void()> report);
    // An Abort: the queue is dropped and no connection takes another file.
    void StopTaking();
    // The cancel, from its own thread: cuts every connection's file and
    // connection, which releases their blocked calls.
    void Cut();
    // Adds the connections' files and bytes, and their lines, to a report.
    void AddFigures(DWORD& filesDone, ULONGLONG& totalBytes, RunTotals& run);
    // Whether a file of that target is queued or under way.
    bool Holds(const std::wstring& target);

  private:
    struct Lane {
        TransferLanes* pool;
        size_t index;
        std::unique_ptr<RemoteFS> engine;
        RemoteFileSlot slot;
        LaneFigures figures;
        OwnedHandle thread;
        bool loggedIn = false;  // under the lock
    };
    // A connection that lost its connection this often in a row leaves the run.
    static const unsigned kDropsPerLane = 2;
    static const DWORD kCutAgainMs = 100;
    // A file cut this often by lost connections is left to the walk's own.
    static const unsigned kInterruptionsPerFile = 3;

    void StartLanes(unsigned useful);
    void StartLane(size_t index);
    static DWORD WINAPI LaneThread(LPVOID lane);
    void Serve(Lane& lane);
    bool LogIn(Lane& lane);
    std::unique_ptr<FileJob> Take();
    JobTransfer::Outcome Move(JobTransfer& mover, FileJob& job);
    // A lost connection: the file goes back, to be taken up where it stopped
    // when this run's copy holds its start, else sent whole.
    void Interrupted(std::unique_ptr<FileJob> job);
    void Ended(std::unique_ptr<FileJob> job, JobTransfer::Outcome outcome);
    void LaneLeft(Lane& lane);
    void CutLogin(Lane& lane);
    // What two files that must not be written at once share: the local path
    // of a download, the remote path of an upload.
    std::wstring TargetOf(const FileJob& job) const;
    static void SetLine(ConnectionFigures& line, const std::wstring& file,
                        const LaneFigures& figures);
    bool Drained() const;

    const RemoteFS& walkEngine;
    const Direction direction;
    const std::atomic<bool>& cancel;
    std::vector<std::unique_ptr<Lane>> lanes;
    LaneFigures walkFigures;  // of the files the walk's connection took from the queue

    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::unique_ptr<FileJob>> queued;
    std::deque<std::unique_ptr<FileJob>> failed;
    // Cut too often on extra connections: left to the walk's own.
    std::deque<std::unique_ptr<FileJob>> forWalk;
    std::multiset<std::wstring> targets;  // of the files queued or under way
    unsigned underWay = 0;
    unsigned loggedIn = 0;
    unsigned serving = 0;  // lanes whose threads still log in or take files
    bool started = false;
    bool stopTaking = false;
    bool ending = false;
};
