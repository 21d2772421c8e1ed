#include <algorithm>
#include <string>
#include <vector>

#include "RegistryTest.h"

namespace {

class RegStoreTest : public RegistryTest {
  protected:
    std::wstring ReadCfg(const wchar_t* name) {
        return store.ReadString(L"Cfg", nullptr, name, L"default").GetText();
    }
};

}  // namespace

TEST_F(RegStoreTest, FirstRunCreatesTheKeysAndReadsGiveDefaultsWithoutLeakingHandles) {
    EXPECT_FALSE(Exists(nullptr));
    ASSERT_TRUE(store.Open());
    EXPECT_TRUE(Exists(nullptr));
    SetDword(L"Runtime", L"other", 1);
    UINT_PTR freeBefore = NextFreeHandle();
    EXPECT_EQ(7u, store.ReadDword(L"Runtime", nullptr, L"hWnd", 7));
    EXPECT_EQ(7u, store.ReadDword(nullptr, nullptr, L"hWnd", 7));
    EXPECT_STREQ(L"none", store.ReadString(L"Sessions", L"x", L"Host", L"none").GetText());
    EXPECT_EQ(nullptr, store.ReadString(L"Runtime", nullptr, L"v", nullptr).GetText());
    store.WriteDword(L"Runtime", nullptr, L"hWnd", 0x12345678);
    store.WriteString(L"Sessions", L"host one", L"Host", L"abc");
    EXPECT_EQ(freeBefore, NextFreeHandle());

    DWORD bytes = 0;
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), GetType(L"Runtime", L"hWnd", &bytes));
    EXPECT_EQ(4u, bytes);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), GetType(L"Sessions\\host one", L"Host", &bytes));
    EXPECT_EQ(8u, bytes);
    EXPECT_STREQ(L"abc", store.ReadString(L"Sessions", L"host one", L"Host", L"").GetText());
    EXPECT_EQ(0x12345678u, store.ReadDword(L"Runtime", nullptr, L"hWnd", 0));
}

TEST_F(RegStoreTest, WrongTypesGiveTheDefaultAndBrokenStringsStayInTheirBytes) {
    ASSERT_TRUE(store.Open());
    const BYTE eight[8] = {1, 0, 0, 0, 2, 0, 0, 0};
    SetString(L"Cfg", L"Text", L"5");
    SetRaw(L"Cfg", L"Binary", REG_BINARY, eight, 4);
    SetRaw(L"Cfg", L"Short", REG_DWORD, eight, 2);
    SetRaw(L"Cfg", L"Long", REG_DWORD, eight, 8);
    SetRaw(L"Cfg", L"Multi", REG_MULTI_SZ, L"one\0two\0", 18);
    for (const wchar_t* name : {L"Text", L"Binary", L"Short", L"Long"})
        EXPECT_EQ(42u, store.ReadDword(L"Cfg", nullptr, name, 42)) << name;
    for (const wchar_t* name : {L"Binary", L"Short", L"Multi"})
        EXPECT_EQ(L"default", ReadCfg(name)) << name;

    SetRaw(L"Cfg", L"Unterminated", REG_SZ, L"abc", 6);
    SetRaw(L"Cfg", L"OddBytes", REG_SZ, L"abcd", 7);
    SetRaw(L"Cfg", L"OneByte", REG_SZ, "x", 1);
    SetRaw(L"Cfg", L"EmbeddedNull", REG_SZ, L"ab\0cd", 12);
    SetRaw(L"Cfg", L"Expand", REG_EXPAND_SZ, L"%TEMP%", 12);
    SetString(L"Cfg", L"Big", std::wstring(5000, L'z'));
    EXPECT_EQ(L"abc", ReadCfg(L"Unterminated"));
    EXPECT_EQ(L"abc", ReadCfg(L"OddBytes"));
    EXPECT_EQ(L"", ReadCfg(L"OneByte"));
    EXPECT_EQ(L"ab", ReadCfg(L"EmbeddedNull"));
    EXPECT_EQ(L"%TEMP%", ReadCfg(L"Expand"));
    EXPECT_EQ(std::wstring(5000, L'z'), ReadCfg(L"Big"));
}

TEST_F(RegStoreTest, NamesThatWouldAddressAnotherKeyAreRefused) {
    store.SetProductKey((product + L"\\deeper").c_str());
    EXPECT_FALSE(store.Open());
    store.SetProductKey(L"");
    EXPECT_FALSE(store.Open());
    EXPECT_FALSE(Exists(nullptr));
    // Unopened: defaults, and nothing reaches the registry.
    store.WriteDword(nullptr, nullptr, L"x", 1);
    EXPECT_EQ(3u, store.ReadDword(nullptr, nullptr, L"x", 3));
    EXPECT_FALSE(store.DeleteKey(L"Sessions"));

    store.SetProductKey(product.c_str());
    ASSERT_TRUE(store.Open());
    store.WriteString(L"Sessions", L"a\\b", L"Host", L"h");
    store.WriteString(L"Sessions", L"", L"Host", L"h");
    EXPECT_FALSE(Exists(L"Sessions"));
    store.WriteDword(nullptr, nullptr, L"kept", 1);
    EXPECT_FALSE(store.DeleteKey(nullptr));
    EXPECT_FALSE(store.DeleteKey(L""));
    EXPECT_EQ(1u, GetDword(nullptr, L"kept"));
}

TEST_F(RegStoreTest, EnumerationAppendsAndDeletionTakesTheWholeTree) {
    ASSERT_TRUE(store.Open());
    PtrList<WString*> names;
    store.EnumSubkeys(L"Sessions", names);
    store.WriteDword(L"Sessions", nullptr, L"loose", 1);
    store.EnumSubkeys(L"Sessions", names);
    EXPECT_TRUE(names.IsEmpty());

    std::wstring longName(255, L'n');
    for (const wchar_t* name : {L"Beta", L"alpha", longName.c_str()})
        store.WriteString(L"Sessions", name, L"Host", L"h");
    store.WriteDword(L"Runtime", nullptr, L"hWnd", 1);
    names.AddTail(new WString(L"first"));
    store.EnumSubkeys(L"Sessions", names);
    std::vector<std::wstring> found;
    while (!names.IsEmpty()) {
        WString* name = names.RemoveHead();
        found.push_back(name->GetText());
        delete name;
    }
    ASSERT_EQ(4u, found.size());
    std::sort(found.begin() + 1, found.end());
    EXPECT_EQ((std::vector<std::wstring>{L"first", L"Beta", L"alpha", longName}), found);

    EXPECT_TRUE(store.DeleteKey(L"Sessions"));
    EXPECT_FALSE(Exists(L"Sessions"));
    EXPECT_TRUE(Exists(L"Runtime"));
}
