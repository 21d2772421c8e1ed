#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/FrameFixture.h"
#include "framework/TextUtil.h"
#include "support/DialogAnswerer.h"

namespace {

class SessionMenusTest : public FrameFixture {
  protected:
    void SetUp() override {
        for (const wchar_t* name : {L"alpha", L"beta", L"New Host"}) AddSession(name);
        CreateFrame();
    }

    void AddSession(const wchar_t* name) {
        SessionInfo session = {};
        CopyText(session.name, name);
        CopyText(session.host, L"127.0.0.1");
        app.sessions.AddIfAbsent(session);
    }

    std::vector<std::wstring> Connect() { return ItemTexts(FileSubmenu(0)); }
    std::vector<std::wstring> RemoveSession() { return ItemTexts(FileSubmenu(2)); }
};

}  // namespace

TEST_F(SessionMenusTest, SavedSessionsFillBothMenusNewestOnTop) {
    EXPECT_EQ((std::vector<std::wstring>{L"New Host", L"", L"New Host", L"beta", L"alpha"}),
              Connect());
    EXPECT_EQ((std::vector<std::wstring>{L"All Sessions", L"", L"New Host", L"beta", L"alpha"}),
              RemoveSession());
    EXPECT_GE(GetMenuItemID(FileSubmenu(0), 2), 50000u);
}

TEST_F(SessionMenusTest, RemovingOneSessionRemovesItsTwoItems) {
    frame.HandleCommand(IdOf(FileSubmenu(2), L"beta"), 0, 0);
    EXPECT_EQ(nullptr, app.sessions.FindByName(L"beta"));
    EXPECT_EQ(2u, app.sessions.GetCount());
    EXPECT_EQ((std::vector<std::wstring>{L"New Host", L"", L"New Host", L"alpha"}), Connect());
    EXPECT_EQ((std::vector<std::wstring>{L"All Sessions", L"", L"New Host", L"alpha"}),
              RemoveSession());

    // A session named like a fixed item takes only its own items with it.
    UINT sessionItem = GetMenuItemID(FileSubmenu(2), 2);
    frame.HandleCommand(sessionItem, 0, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"New Host", L"", L"alpha"}), Connect());
    EXPECT_EQ(static_cast<UINT>(IDM_NEW_HOST), GetMenuItemID(FileSubmenu(0), 0));
}

TEST_F(SessionMenusTest, AllSessionsAsksFirst) {
    {
        DialogAnswerer answerer(IDNO);
        frame.HandleCommand(IDM_ALL_SESSIONS, 0, 0);
        EXPECT_EQ(L"Are you sure you want to remove ALL saved sessions?", answerer.LastText());
    }
    EXPECT_EQ(3u, app.sessions.GetCount());
    EXPECT_EQ(5, GetMenuItemCount(FileSubmenu(0)));
    {
        DialogAnswerer answerer(IDYES);
        frame.HandleCommand(IDM_ALL_SESSIONS, 0, 0);
        EXPECT_EQ(1, answerer.Count());
    }
    EXPECT_EQ(0u, app.sessions.GetCount());
    EXPECT_EQ((std::vector<std::wstring>{L"New Host", L""}), Connect());
    EXPECT_EQ((std::vector<std::wstring>{L"All Sessions", L""}), RemoveSession());
}

TEST_F(SessionMenusTest, StaleInsertedIdsAreIgnored) {
    UINT id = IdOf(FileSubmenu(2), L"alpha");
    frame.HandleCommand(id, 0, 0);
    frame.HandleCommand(id, 0, 0);
    frame.HandleCommand(65000, 0, 0);
    EXPECT_EQ(2u, app.sessions.GetCount());
    EXPECT_EQ(L"Ftp [Local]", Title());
}
