#pragma once

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "support/GuiApp.h"

// A test of the program's frame, created as start-up creates it and taken down
// afterwards with what it left queued.
class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(frame.CreateFrame(L"Corvane", WS_VISIBLE, 0, 0, 320, 400, IDR_MENUBAR));
    }
    void TearDown() override {
        frame.DestroyWnd();
        PumpMessages();
    }

    GuiApp app;
    FrameWnd& frame = app.frame;
};
