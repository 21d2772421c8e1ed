#include <gtest/gtest.h>

#include "ceevents.h"

namespace {

class EventsTest : public ::testing::Test {
  protected:
    void TearDown() override { CloseHandle(event); }

    bool Signalled() { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

TEST_F(EventsTest, SetResetAndPulseReachTheEvent) {
    EXPECT_TRUE(EventModify(event, EVENT_SET));
    EXPECT_TRUE(Signalled());
    EXPECT_TRUE(EventModify(event, EVENT_RESET));
    EXPECT_FALSE(Signalled());
    // A pulse with nobody waiting leaves the event reset.
    EXPECT_TRUE(EventModify(event, EVENT_PULSE));
    EXPECT_FALSE(Signalled());
}

TEST_F(EventsTest, UnknownCodesAndBadHandlesFail) {
    SetLastError(0);
    EXPECT_FALSE(EventModify(event, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(EventModify(event, 4));
    EXPECT_FALSE(Signalled());
    EXPECT_FALSE(EventModify(nullptr, EVENT_SET));
}

}  // namespace
