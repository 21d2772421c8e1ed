#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "FrameProbe.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/FrameTest.h"
#include "support/TestSession.h"

// A frame created as start-up creates it, with three saved sessions.
class FrameWndTest : public FrameTest {
  protected:
    void SetUp() override {
        for (const wchar_t* name : {L"alpha", L"beta", L"New Host"})
            app.sessions.AddIfAbsent(MakeSession(name));
        FrameTest::SetUp();
    }
};

// The views, their title and menus run against real logins in ConnectTest.
TEST_F(FrameWndTest, RemovingOneSessionRemovesOnlyItsItemsAndAllSessionsAsksFirst) {
    EXPECT_EQ((Texts{L"New Host", L"-", L"New Host", L"beta", L"alpha"}),
              ItemTexts(FileSubmenu(frame, 0)));
    UINT beta = GetMenuItemID(FileSubmenu(frame, 2), 3);
    frame.HandleCommand(beta, 0, 0);
    frame.HandleCommand(beta, 0, 0);  // a stale id is ignored
    // A session named like a fixed item leaves the fixed item alone.
    frame.HandleCommand(GetMenuItemID(FileSubmenu(frame, 2), 2), 0, 0);
    EXPECT_EQ((Texts{L"New Host", L"-", L"alpha"}), ItemTexts(FileSubmenu(frame, 0)));
    EXPECT_EQ(static_cast<UINT>(IDM_NEW_HOST), GetMenuItemID(FileSubmenu(frame, 0), 0));
    EXPECT_EQ((Texts{L"All Sessions", L"-", L"alpha"}), ItemTexts(FileSubmenu(frame, 2)));

    for (int answer : {IDNO, IDYES}) {
        DialogDriver answerer(Pressing({answer}));
        frame.HandleCommand(IDM_ALL_SESSIONS, 0, 0);
        EXPECT_EQ(L"Are you sure you want to remove ALL saved sessions?", answerer.LastText());
        EXPECT_EQ(answer == IDNO ? 1u : 0u, app.sessions.GetCount());
    }
    EXPECT_EQ((Texts{L"New Host", L"-"}), ItemTexts(FileSubmenu(frame, 0)));
    EXPECT_EQ((Texts{L"All Sessions", L"-"}), ItemTexts(FileSubmenu(frame, 2)));
}
