#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RegTestKey.h"
#include "framework/TextUtil.h"
#include "settings/RegStore.h"
#include "settings/SessionList.h"

namespace {

const wchar_t sessionsKey[] = L"Sessions";

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

std::vector<std::wstring> Names(const SessionList& list) {
    PtrList<WString*> names;
    list.CopyNames(names);
    std::vector<std::wstring> result;
    while (!names.IsEmpty()) {
        WString* name = names.RemoveHead();
        result.push_back(name->GetText());
        delete name;
    }
    return result;
}

class SessionListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store.SetMakerKey(RegTestKey::Maker());
        store.SetProductKey(key.Product());
        ASSERT_TRUE(store.Open());
    }

    RegTestKey key;
    RegStore store;
};

}  // namespace

TEST(SessionList, NamesAreUniqueExactAndNeverShareARegistryKey) {
    SessionList list;
    EXPECT_TRUE(list.AddIfAbsent(MakeSession(L"Home", L"home.example")));
    SessionInfo again = MakeSession(L"Home", L"changed.example", 2121);
    CopyText(again.user, L"someone else");
    EXPECT_FALSE(list.AddIfAbsent(again));
    // Registry key names ignore case: "home" would be saved over "Home".
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(L"home", L"other.example")));
    EXPECT_TRUE(list.AddIfAbsent(MakeSession(L"Homes", L"third.example")));
    EXPECT_EQ(2u, list.GetCount());

    SessionInfo* home = list.FindByName(L"Home");
    ASSERT_NE(nullptr, home);
    EXPECT_STREQ(L"home.example", home->host);
    EXPECT_STREQ(L"user", home->user);
    EXPECT_EQ(21u, home->port);
    EXPECT_EQ(nullptr, list.FindByName(L"home"));
    EXPECT_EQ(nullptr, list.FindByName(L"Hom"));
    EXPECT_EQ(nullptr, list.FindByName(nullptr));
}

TEST(SessionList, RemovalKeepsOrderAndHeadPassesOwnership) {
    SessionList list;
    for (const wchar_t* name : {L"a", L"b", L"c"}) list.AddIfAbsent(MakeSession(name, L"h"));
    EXPECT_FALSE(list.RemoveByName(L"B"));
    EXPECT_TRUE(list.RemoveByName(L"b"));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"c"}), Names(list));

    SessionInfo* head = list.RemoveHead();
    ASSERT_NE(nullptr, head);
    EXPECT_STREQ(L"a", head->name);
    delete head;
    delete list.RemoveHead();
    EXPECT_EQ(0u, list.GetCount());
    EXPECT_EQ(nullptr, list.RemoveHead());
}

TEST(SessionList, NamesThatCannotBeARegistryKeyAreNotAdded) {
    SessionList list;
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(L"", L"h")));
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(L"dir\\sub", L"h")));
    EXPECT_FALSE(list.AddIfAbsent(MakeSession(std::wstring(256, L'x').c_str(), L"h")));
    EXPECT_TRUE(list.AddIfAbsent(MakeSession(std::wstring(255, L'x').c_str(), L"h")));
    EXPECT_TRUE(list.AddIfAbsent(MakeSession(L"ftp://host:21/a b", L"h")));
    EXPECT_EQ(2u, list.GetCount());
}

TEST_F(SessionListTest, EmptyListLoadsNothingAndSavesNoKey) {
    SessionList list;
    list.Load(store);
    EXPECT_EQ(0u, list.GetCount());
    key.SetDword(sessionsKey, L"stale", 1);
    list.Save(store);
    EXPECT_FALSE(key.Exists(sessionsKey));
}

TEST_F(SessionListTest, SessionsRoundTripWithEveryField) {
    SessionList list;
    SessionInfo first = MakeSession(L"Work", L"ftp.work.example", 2121);
    first.bSavePassword = 0;  // the password is stored all the same
    first.bAnonymous = 1;
    list.AddIfAbsent(first);
    list.AddIfAbsent(MakeSession(L"Other", L"127.0.0.1", 0));
    list.Save(store);
    EXPECT_EQ(2, key.CountSubkeys(sessionsKey));

    SessionList loaded;
    loaded.Load(store);
    ASSERT_EQ(2u, loaded.GetCount());
    SessionInfo* work = loaded.FindByName(L"Work");
    ASSERT_NE(nullptr, work);
    EXPECT_STREQ(L"ftp.work.example", work->host);
    EXPECT_STREQ(L"user", work->user);
    EXPECT_STREQ(L"secret", work->password);
    EXPECT_EQ(2121u, work->port);
    EXPECT_EQ(1u, work->bSaveHost);
    EXPECT_EQ(0u, work->bSavePassword);
    EXPECT_EQ(1u, work->bAnonymous);
    ASSERT_NE(nullptr, loaded.FindByName(L"Other"));
    EXPECT_STREQ(L"127.0.0.1", loaded.FindByName(L"Other")->host);
    EXPECT_EQ(0u, loaded.FindByName(L"Other")->port);
}

TEST_F(SessionListTest, RemovingOneOfThreeLeavesTwoSubkeys) {
    SessionList list;
    for (const wchar_t* name : {L"one", L"two", L"three"})
        list.AddIfAbsent(MakeSession(name, L"h"));
    list.Save(store);
    SessionList loaded;
    loaded.Load(store);
    EXPECT_TRUE(loaded.RemoveByName(L"two"));
    loaded.Save(store);
    EXPECT_EQ(2, key.CountSubkeys(sessionsKey));
    EXPECT_FALSE(key.Exists(L"Sessions\\two"));
    EXPECT_TRUE(key.Exists(L"Sessions\\three"));
}

TEST_F(SessionListTest, PartialAndOversizedRecordsLoadSafely) {
    key.SetString(L"Sessions\\bare", L"Host", L"only.host");
    key.SetDword(L"Sessions\\empty", L"unrelated", 1);
    key.SetString(L"Sessions\\long", L"Host", std::wstring(600, L'h'));
    key.SetString(L"Sessions\\long", L"User", std::wstring(511, L'u'));
    key.SetString(L"Sessions\\long", L"Port", L"21");

    SessionList list;
    list.Load(store);
    ASSERT_EQ(3u, list.GetCount());
    SessionInfo* bare = list.FindByName(L"bare");
    ASSERT_NE(nullptr, bare);
    EXPECT_STREQ(L"only.host", bare->host);
    EXPECT_EQ(0u, bare->port);
    EXPECT_STREQ(L"", bare->user);
    SessionInfo* empty = list.FindByName(L"empty");
    ASSERT_NE(nullptr, empty);
    EXPECT_STREQ(L"", empty->host);
    SessionInfo* cut = list.FindByName(L"long");
    ASSERT_NE(nullptr, cut);
    EXPECT_EQ(std::wstring(511, L'h'), cut->host);
    EXPECT_EQ(std::wstring(511, L'u'), cut->user);
    EXPECT_EQ(0u, cut->port);
}
