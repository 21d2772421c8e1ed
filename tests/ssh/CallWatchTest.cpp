#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>

#include "ssh/CallWatch.h"

namespace {

bool Within(DWORD ms, const std::atomic<int>& cuts) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        if (cuts > 0) return true;
    return cuts > 0;
}

}  // namespace

// A call that outlives its limit is cut once; one that returned in time never
// is, however long its neighbours wait.
TEST(CallWatch, CutsOnlyCallsThatOutliveTheirLimit) {
    std::atomic<int> slowCuts{0}, quickCuts{0};
    auto quick = std::make_unique<CallWatch>(200, [&] { ++quickCuts; });
    CallWatch slow(100, [&] { ++slowCuts; });
    quick.reset();
    EXPECT_TRUE(Within(10000, slowCuts));
    Sleep(600);
    EXPECT_EQ(1, slowCuts.load());
    EXPECT_EQ(0, quickCuts.load());
}
