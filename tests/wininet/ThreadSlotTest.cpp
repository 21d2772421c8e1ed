#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <vector>

#include "wininet/ThreadSlot.h"

namespace {

std::atomic<int> made{0}, freed{0};

struct Counted {
    Counted() { ++made; }
    ~Counted() { ++freed; }
    DWORD owner = GetCurrentThreadId();
};

ThreadSlot<Counted> slots;

// Each thread checks that it sees its own value, twice, then ends.
DWORD WINAPI UseSlot(LPVOID) {
    Counted& first = slots.Get();
    return &first == &slots.Get() && first.owner == GetCurrentThreadId() ? 0 : 1;
}

// Every thread gets a value of its own, freed when it ends, also when threads
// start while others end (where thread_local could spin or fault); the caller's
// last error is left as it was.
TEST(ThreadSlotTest, EachThreadHasItsOwnValueFreedWhenItEnds) {
    slots.Get();
    int madeBefore = made, freedBefore = freed;
    const int kThreads = 64;
    std::vector<HANDLE> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.push_back(CreateThread(nullptr, 0, UseSlot, nullptr, 0, nullptr));
        ASSERT_NE(nullptr, threads.back());
    }
    for (HANDLE thread : threads) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        DWORD code = 1;
        EXPECT_TRUE(GetExitCodeThread(thread, &code));
        EXPECT_EQ(0u, code);
        CloseHandle(thread);
    }
    EXPECT_EQ(madeBefore + kThreads, made.load());
    EXPECT_EQ(freedBefore + kThreads, freed.load());

    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetCurrentThreadId(), slots.Get().owner);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

}  // namespace
