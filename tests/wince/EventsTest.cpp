#include <gtest/gtest.h>

#include "ceevents.h"

namespace {

TEST(EventsTest, SetResetAndPulseReachTheEventAndUnknownCodesFail) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto signalled = [&] { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; };
    EXPECT_TRUE(EventModify(event, EVENT_SET));
    EXPECT_TRUE(signalled());
    EXPECT_TRUE(EventModify(event, EVENT_RESET));
    EXPECT_FALSE(signalled());
    EXPECT_TRUE(EventModify(event, EVENT_PULSE));
    EXPECT_FALSE(signalled());  // nobody waited, so the pulse leaves it reset
    EXPECT_FALSE(EventModify(event, 0));
    EXPECT_FALSE(signalled());
    CloseHandle(event);
}

}  // namespace
