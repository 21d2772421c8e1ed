#include <gtest/gtest.h>

#include "frame/FrameFixture.h"
#include "framework/TextUtil.h"
#include "support/DialogAnswerer.h"

class SessionMenusTest : public FrameFixture {
  protected:
    void SetUp() override {
        for (const wchar_t* name : {L"alpha", L"beta", L"New Host"}) {
            SessionInfo session = {};
            CopyText(session.name, name);
            app.sessions.AddIfAbsent(session);
        }
        FrameFixture::SetUp();
    }
};

TEST_F(SessionMenusTest, RemovingOneSessionRemovesOnlyItsItems) {
    EXPECT_EQ((Texts{L"New Host", L"", L"New Host", L"beta", L"alpha"}), ItemTexts(FileSubmenu(0)));
    EXPECT_EQ((Texts{L"All Sessions", L"", L"New Host", L"beta", L"alpha"}),
              ItemTexts(FileSubmenu(2)));
    UINT beta = IdOf(FileSubmenu(2), L"beta");
    frame.HandleCommand(beta, 0, 0);
    frame.HandleCommand(beta, 0, 0);  // a stale id is ignored
    EXPECT_EQ(nullptr, app.sessions.FindByName(L"beta"));
    EXPECT_EQ((Texts{L"New Host", L"", L"New Host", L"alpha"}), ItemTexts(FileSubmenu(0)));

    // A session named like a fixed item leaves the fixed item alone.
    frame.HandleCommand(GetMenuItemID(FileSubmenu(2), 2), 0, 0);
    EXPECT_EQ((Texts{L"New Host", L"", L"alpha"}), ItemTexts(FileSubmenu(0)));
    EXPECT_EQ(static_cast<UINT>(IDM_NEW_HOST), GetMenuItemID(FileSubmenu(0), 0));
    EXPECT_EQ(1u, app.sessions.GetCount());
}

TEST_F(SessionMenusTest, AllSessionsAsksFirst) {
    {
        DialogAnswerer answerer(IDNO);
        frame.HandleCommand(IDM_ALL_SESSIONS, 0, 0);
        EXPECT_EQ(L"Are you sure you want to remove ALL saved sessions?", answerer.LastText());
    }
    EXPECT_EQ(3u, app.sessions.GetCount());
    EXPECT_EQ(5, GetMenuItemCount(FileSubmenu(0)));
    DialogAnswerer answerer(IDYES);
    frame.HandleCommand(IDM_ALL_SESSIONS, 0, 0);
    EXPECT_EQ(0u, app.sessions.GetCount());
    EXPECT_EQ((Texts{L"New Host", L""}), ItemTexts(FileSubmenu(0)));
    EXPECT_EQ((Texts{L"All Sessions", L""}), ItemTexts(FileSubmenu(2)));
}
