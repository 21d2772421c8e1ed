#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

// Runs a download's slow local file steps on a thread of its own, so that
// they overlap the next file's exchange with the server: under Wine each file
// call is a round trip to the Wine server, and a name not there yet (a new
// part file, the target a part file moves onto) that goes by its usual path
// costs a read of the whole folder. One batch is under way at a time, and the
// download waits for it before it relies on what the batch did.
class LocalFileSteps {
  public:
    struct Batch {
        // A finished part file and the target it takes the place of; empty: no move.
        std::wstring movePart;
        std::wstring moveTarget;
        DWORD moveFlags = 0;
        // A new part file to open for writing; empty: none.
        std::wstring createPath;
    };
    struct Result {
        bool moved = true;  // also when there was nothing to move
        FILE* created = nullptr;
    };

    LocalFileSteps() = default;
    ~LocalFileSteps();
    LocalFileSteps(const LocalFileSteps&) = delete;
    LocalFileSteps& operator=(const LocalFileSteps&) = delete;

    // Hands over a batch; without a thread of its own (it could not be made)
    // the batch runs at once on the caller's.
    void Start(Batch batch);
    // Waits for the batch under way and gives its result (an empty one when none is).
    Result Finish();

  private:
    static DWORD WINAPI Serve(void* self);
    static Result Run(const Batch& batch);
    bool StartThread();

    HANDLE thread = nullptr;
    HANDLE handed = nullptr;  // a batch (or the end) is there to take
    HANDLE done = nullptr;    // the batch handed last is through
    Batch batch;
    Result result;
    bool underWay = false;
    bool onThread = false;  // the batch under way runs there, not on the caller's
    bool ending = false;
};
