#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ftp/RemoteFS.h"

// What a request found out about its engine calls: whether one failed, with
// that call's error and the server's reason, both taken on the connection's
// thread the moment it failed (the reason is kept per thread, and the next
// call would replace both); and whether the new login it needed failed.
struct RequestResult {
    bool failed = false;
    DWORD error = 0;
    std::wstring reason;
    bool loginFailed = false;

    bool ConnectionLost() const { return failed && RemoteFS::IsConnectionLost(error); }
};

// Notes the engine call that just failed on the calling thread.
RequestResult FailedCall();
// Notes the engine's login that just failed.
RequestResult FailedLogin(const RemoteFS& engine);

// The thread of one view's connection. The view's requests (listing, changing
// folder, deleting, renaming, making folders) run there against its engine one
// at a time and in order, so the user-interface thread never waits on the
// network and no two requests share the connection. A request that finds the
// connection gone (or none) logs in again with the session's settings, goes
// back to the view's folder and runs once more; only a failed login is left
// to the view to tell.
// The thread knows the view by its window alone: it posts WM_APP_REQUEST_DONE
// there and the view runs the request's completion on its own thread. The
// engine is shared, so a view that goes while a call blocks never waits for
// it: a short-lived thread closes the connection, which releases the call, and
// the engine goes with the last of its users.
class ConnectionThread {
  public:
    using Job = std::function<RequestResult(RemoteFS& engine)>;
    using Completion = std::function<void(const RequestResult& result)>;

    explicit ConnectionThread(std::shared_ptr<RemoteFS> engine);
    // Stops the thread without waiting for it.
    ~ConnectionThread();
    ConnectionThread(const ConnectionThread&) = delete;
    ConnectionThread& operator=(const ConnectionThread&) = delete;

    // Starts the thread that reports to the window; false when it cannot be made.
    bool Start(HWND notifyWindow);
    // Queues a request; a new login it needs returns to folder (the view's).
    void Post(const std::wstring& folder, Job job, Completion done);
    // Queues a request that logs in by itself: it is never preceded or repeated by another login.
    void PostLogin(Job job, Completion done);
    // On WM_APP_REQUEST_DONE: runs that request's completion unless it was abandoned.
    void Complete(WPARAM number);
    // A posted request's completion has yet to run.
    bool HasPending() const { return !completions.empty(); }
    // Nothing is pending and the thread runs nothing, an abandoned request included.
    bool IsIdle() const;
    // Forgets every pending request at once; the running one's blocked call is
    // released off this thread, and the next request logs in afresh.
    void Abandon();

  private:
    struct Shared;
    void Queue(const std::wstring& folder, bool logsIn, Job job, Completion done);

    std::shared_ptr<Shared> shared;
    // Only the user-interface thread touches the completions.
    std::map<WPARAM, Completion> completions;
};
