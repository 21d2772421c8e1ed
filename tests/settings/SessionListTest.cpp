#include <gtest/gtest.h>

#include <string>

#include "RegistryTest.h"
#include "framework/TextUtil.h"
#include "settings/SessionList.h"

namespace {

SessionInfo MakeSession(const wchar_t* name, const wchar_t* host, DWORD port = 21) {
    SessionInfo session = {};
    CopyText(session.name, name);
    CopyText(session.host, host);
    CopyText(session.user, L"user");
    CopyText(session.password, L"secret");
    session.port = port;
    session.bSaveHost = 1;
    return session;
}

class SessionListTest : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_TRUE(store.Open());
    }
};

}  // namespace

TEST(SessionList, NamesAreExactAndNeverShareARegistryKey) {
    SessionList list;
    EXPECT_TRUE(list.AddIfAbsent(MakeSession(L"Home", L"home.example")));
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(L"Home", L"changed.example", 2121)));
    // Registry key names ignore case: "home" would be saved over "Home".
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(L"home", L"other.example")));
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(L"", L"h")));
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(L"dir\\sub", L"h")));
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(std::wstring(256, L'x').c_str(), L"h")));
    EXPECT_TRUE(list.AddIfAbsent(MakeSession(std::wstring(255, L'x').c_str(), L"h")));
    EXPECT_EQ(2u, list.GetCount());
    ASSERT_NE(nullptr, list.FindByName(L"Home"));
    EXPECT_STREQ(L"home.example", list.FindByName(L"Home")->host);
    EXPECT_EQ(21u, list.FindByName(L"Home")->port);
    EXPECT_EQ(nullptr, list.FindByName(L"home"));

    SessionInfo* head = list.RemoveHead();
    ASSERT_NE(nullptr, head);
    EXPECT_STREQ(L"Home", head->name);
    delete head;
    delete list.RemoveHead();
    EXPECT_EQ(nullptr, list.RemoveHead());
}

TEST_F(SessionListTest, EmptyListLoadsNothingAndSavesNoKey) {
    SessionList list;
    list.Load(store);
    EXPECT_EQ(0u, list.GetCount());
    SetDword(L"Sessions", L"stale", 1);
    list.Save(store);
    EXPECT_FALSE(Exists(L"Sessions"));
}

TEST_F(SessionListTest, RoundTripKeepsEveryFieldAndRemovalReachesTheRegistry) {
    SessionList list;
    SessionInfo work = MakeSession(L"Work", L"ftp.work.example", 2121);
    work.bSavePassword = 0;  // the password is stored all the same
    work.bAnonymous = 1;
    list.AddIfAbsent(work);
    list.AddIfAbsent(MakeSession(L"two", L"h"));
    list.AddIfAbsent(MakeSession(L"three", L"h"));
    list.Save(store);

    SessionList loaded;
    loaded.Load(store);
    ASSERT_EQ(3u, loaded.GetCount());
    SessionInfo* found = loaded.FindByName(L"Work");
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(0, memcmp(&work, found, sizeof(work)));
    EXPECT_TRUE(loaded.RemoveByName(L"two"));
    EXPECT_FALSE(loaded.RemoveByName(L"two"));
    loaded.Save(store);
    EXPECT_EQ(2, CountSubkeys(L"Sessions"));
    EXPECT_FALSE(Exists(L"Sessions\\two"));
}

TEST_F(SessionListTest, PartialAndOversizedRecordsLoadSafely) {
    SetString(L"Sessions\\bare", L"Host", L"only.host");
    SetDword(L"Sessions\\empty", L"unrelated", 1);
    SetString(L"Sessions\\long", L"Host", std::wstring(600, L'h'));
    SetString(L"Sessions\\long", L"Port", L"21");
    SessionList list;
    list.Load(store);
    ASSERT_EQ(3u, list.GetCount());
    ASSERT_NE(nullptr, list.FindByName(L"bare"));
    EXPECT_STREQ(L"only.host", list.FindByName(L"bare")->host);
    EXPECT_EQ(0u, list.FindByName(L"bare")->port);
    ASSERT_NE(nullptr, list.FindByName(L"empty"));
    EXPECT_STREQ(L"", list.FindByName(L"empty")->user);
    ASSERT_NE(nullptr, list.FindByName(L"long"));
    EXPECT_EQ(std::wstring(511, L'h'), list.FindByName(L"long")->host);
    EXPECT_EQ(0u, list.FindByName(L"long")->port);
}
