#include "ftp/ConnectionThread.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "ftp/ServerReason.h"
#include "resources/AppMessages.h"

namespace {

// Numbers are unique across views: a window handle used again by another view
// never receives a number that view could take for one of its own.
std::atomic<WPARAM> lastNumber{0};

}  // namespace

RequestResult FailedCall() {
    RequestResult result;
    result.failed = true;
    result.error = GetLastError();
    result.reason = TakeServerReason();
    return result;
}

RequestResult FailedLogin(const RemoteFS& engine) {
    RequestResult result = FailedCall();
    result.error = engine.ConnectError();
    result.loginFailed = true;
    return result;
}

struct ConnectionThread::Shared {
    struct Request {
        WPARAM number = 0;
        std::wstring folder;
        bool logsIn = false;
        Job job;
    };

    explicit Shared(std::shared_ptr<RemoteFS> engine) : engine(std::move(engine)) {}

    void Serve();
    // Takes the next request, or none when the thread is to end.
    bool Next(Request& request);
    RequestResult Run(const Request& request);
    RequestResult RunJob(const Request& request);
    RequestResult LogInAgain(const std::wstring& folder);
    bool IsAbandoned(WPARAM number);
    void Finish(const Request& request, RequestResult result);
    // Under the lock: closes the connection on a thread of its own, once per running request.
    void StartCloser();

    std::shared_ptr<RemoteFS> engine;
    HWND notifyWindow = nullptr;
    std::mutex lock;
    std::condition_variable wake;
    std::deque<Request> queue;
    std::map<WPARAM, RequestResult> results;
    WPARAM running = 0;
    bool runningAbandoned = false;
    bool started = false;
    bool stopping = false;
    // Joined by the connection's thread before it runs the next request, so a
    // late close never cuts a request it was not meant for.
    std::thread closer;
};

void ConnectionThread::Shared::StartCloser() {
    // Only the connection's thread joins a closer: without it there is nothing to release.
    if (!started || closer.joinable()) return;
    std::shared_ptr<RemoteFS> closed = engine;
    try {
        closer = std::thread([closed] { closed->CutConnection(); });
    } catch (const std::system_error&) {
        return;  // the blocked call then ends at its own bound
    }
    wake.notify_one();
}

bool ConnectionThread::Shared::Next(Request& request) {
    std::thread late;
    bool taken = false;
    {
        std::unique_lock<std::mutex> guard(lock);
        wake.wait(guard, [this] { return stopping || !queue.empty() || closer.joinable(); });
        late = std::move(closer);
        if (!stopping && !queue.empty()) {
            request = std::move(queue.front());
            queue.pop_front();
            running = request.number;
            runningAbandoned = false;
            taken = true;
        }
    }
    if (late.joinable()) late.join();
    return taken || !stopping;
}

void ConnectionThread::Shared::Serve() {
    Request request;
    while (Next(request)) {
        if (!request.job) continue;
        Finish(request, Run(request));
        request = Request();
    }
}

bool ConnectionThread::Shared::IsAbandoned(WPARAM number) {
    std::lock_guard<std::mutex> guard(lock);
    return stopping || (running == number && runningAbandoned);
}

RequestResult ConnectionThread::Shared::LogInAgain(const std::wstring& folder) {
    if (FAILED(engine->Reconnect(nullptr))) return FailedLogin(*engine);
    // A folder gone meanwhile is the request's to find out.
    if (!folder.empty()) engine->SetCurrentDir(folder.c_str());
    return RequestResult();
}

RequestResult ConnectionThread::Shared::RunJob(const Request& request) {
    // A call refused before anything was sent sets no error: an old one must not pass for its own.
    SetLastError(ERROR_SUCCESS);
    return request.job(*engine);
}

RequestResult ConnectionThread::Shared::Run(const Request& request) {
    if (request.logsIn) return RunJob(request);
    if (!engine->IsConnected()) {
        RequestResult login = LogInAgain(request.folder);
        if (login.failed) return login;
    }
    RequestResult result = RunJob(request);
    if (!result.ConnectionLost() || IsAbandoned(request.number)) return result;
    RequestResult login = LogInAgain(request.folder);
    return login.failed ? login : RunJob(request);
}

// An abandoned request is reported too, so that the view sees its connection idle again.
void ConnectionThread::Shared::Finish(const Request& request, RequestResult result) {
    std::lock_guard<std::mutex> guard(lock);
    running = 0;
    if (stopping) return;
    if (!runningAbandoned) results[request.number] = std::move(result);
    PostMessageW(notifyWindow, WM_APP_REQUEST_DONE, request.number, 0);
}

ConnectionThread::ConnectionThread(std::shared_ptr<RemoteFS> engine)
    : shared(std::make_shared<Shared>(std::move(engine))) {}

// The thread may still be in a blocked call: it is released and left to end by itself.
ConnectionThread::~ConnectionThread() {
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->stopping = true;
    shared->queue.clear();
    if (shared->running) shared->StartCloser();
    shared->wake.notify_one();
}

bool ConnectionThread::Start(HWND notifyWindow) {
    shared->notifyWindow = notifyWindow;
    try {
        std::shared_ptr<Shared> served = shared;
        std::thread([served] { served->Serve(); }).detach();
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->started = true;
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void ConnectionThread::Post(const std::wstring& folder, Job job, Completion done) {
    Queue(folder, false, std::move(job), std::move(done));
}

void ConnectionThread::PostLogin(Job job, Completion done) {
    Queue(std::wstring(), true, std::move(job), std::move(done));
}

void ConnectionThread::Queue(const std::wstring& folder, bool logsIn, Job job, Completion done) {
    WPARAM number = ++lastNumber;
    completions[number] = std::move(done);
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->queue.push_back(Shared::Request{number, folder, logsIn, std::move(job)});
    shared->wake.notify_one();
}

void ConnectionThread::Complete(WPARAM number) {
    RequestResult result;
    {
        std::lock_guard<std::mutex> guard(shared->lock);
        auto found = shared->results.find(number);
        if (found == shared->results.end()) return;
        result = std::move(found->second);
        shared->results.erase(found);
    }
    auto pending = completions.find(number);
    if (pending == completions.end()) return;
    Completion done = std::move(pending->second);
    completions.erase(pending);
    done(result);
}

bool ConnectionThread::IsIdle() const {
    if (HasPending()) return false;
    std::lock_guard<std::mutex> guard(shared->lock);
    return shared->running == 0 && shared->queue.empty();
}

// A request that ended but whose result is not yet shown may have moved the
// server to another folder: the connection is closed then too, so the next
// login returns to the view's folder.
void ConnectionThread::Abandon() {
    if (!HasPending()) return;
    completions.clear();
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->queue.clear();
    shared->results.clear();
    if (shared->running) shared->runningAbandoned = true;
    shared->StartCloser();
}
