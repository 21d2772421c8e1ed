#include "ftp/LocalFileSteps.h"

#include <utility>

LocalFileSteps::~LocalFileSteps() {
    if (underWay) {
        Result left = Finish();
        if (left.created) fclose(left.created);
    }
    if (thread) {
        ending = true;
        SetEvent(handed);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    if (handed) CloseHandle(handed);
    if (done) CloseHandle(done);
}

void LocalFileSteps::Start(Batch next) {
    batch = std::move(next);
    underWay = true;
    // An empty batch costs no trip to the thread.
    bool empty = batch.movePart.empty() && batch.createPath.empty();
    onThread = !empty && StartThread();
    if (onThread)
        SetEvent(handed);
    else
        result = Run(batch);
}

LocalFileSteps::Result LocalFileSteps::Finish() {
    if (!underWay) return Result();
    underWay = false;
    if (onThread) WaitForSingleObject(done, INFINITE);
    return std::exchange(result, Result());
}

// Tried once: a thread that could not be made is not asked for again.
bool LocalFileSteps::StartThread() {
    if (!thread && !handed) {
        handed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (handed && done) thread = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    }
    return thread != nullptr;
}

DWORD WINAPI LocalFileSteps::Serve(void* self) {
    LocalFileSteps& steps = *static_cast<LocalFileSteps*>(self);
    for (;;) {
        WaitForSingleObject(steps.handed, INFINITE);
        if (steps.ending) return 0;
        steps.result = Run(steps.batch);
        SetEvent(steps.done);
    }
}

LocalFileSteps::Result LocalFileSteps::Run(const Batch& batch) {
    Result result;
    if (!batch.movePart.empty())
        result.moved =
            MoveFileExW(batch.movePart.c_str(), batch.moveTarget.c_str(), batch.moveFlags) != FALSE;
    if (!batch.createPath.empty()) result.created = _wfopen(batch.createPath.c_str(), L"wb");
    return result;
}
