#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RegTestKey.h"
#include "settings/RegStore.h"

namespace {

class RegStoreTest : public ::testing::Test {
  protected:
    bool OpenStore() {
        store.SetMakerKey(RegTestKey::Maker());
        store.SetProductKey(key.Product());
        return store.Open();
    }

    std::wstring ReadText(const wchar_t* name) {
        WString text = store.ReadString(L"Cfg", nullptr, name, L"default");
        return text.GetText();
    }

    // Takes every name out of the list, freeing each as a consumer must.
    static std::vector<std::wstring> Drain(PtrList<WString*>& names) {
        std::vector<std::wstring> result;
        while (!names.IsEmpty()) {
            WString* name = names.RemoveHead();
            result.push_back(name->GetText());
            delete name;
        }
        return result;
    }

    RegTestKey key;
    RegStore store;
};

}  // namespace

TEST_F(RegStoreTest, FirstRunCreatesTheKeysAndReadsGiveDefaultsWithoutLeakingHandles) {
    EXPECT_FALSE(key.Exists(nullptr));
    ASSERT_TRUE(OpenStore());
    EXPECT_TRUE(key.Exists(nullptr));

    UINT_PTR freeBefore = NextFreeHandle();
    for (int round = 0; round < 20; ++round) {
        EXPECT_EQ(7u, store.ReadDword(L"Runtime", nullptr, L"hWnd", 7));
        EXPECT_EQ(7u, store.ReadDword(nullptr, nullptr, L"hWnd", 7));
        EXPECT_STREQ(L"none", store.ReadString(L"Sessions", L"x", L"Host", L"none").GetText());
        EXPECT_EQ(nullptr, store.ReadString(L"Missing", nullptr, L"v", nullptr).GetText());
    }
    key.SetDword(L"Runtime", L"other", 1);
    for (int round = 0; round < 20; ++round)
        EXPECT_EQ(3u, store.ReadDword(L"Runtime", nullptr, L"hWnd", 3));
    EXPECT_EQ(freeBefore, NextFreeHandle());
}

TEST_F(RegStoreTest, WritesCreateMissingKeysWithTheStoredTypesAndLengths) {
    ASSERT_TRUE(OpenStore());
    UINT_PTR freeBefore = NextFreeHandle();
    store.WriteDword(L"Runtime", nullptr, L"hWnd", 0x12345678);
    store.WriteString(L"Cfg", nullptr, L"Text", L"abc");
    store.WriteString(L"Sessions", L"host one", L"Host", L"ftp.example.org");
    store.WriteDword(nullptr, nullptr, L"AtRoot", 9);
    EXPECT_EQ(freeBefore, NextFreeHandle());

    DWORD type = 0, bytes = 0;
    std::wstring text;
    ASSERT_TRUE(key.GetRaw(L"Runtime", L"hWnd", &type, nullptr, &bytes));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, bytes);
    EXPECT_EQ(0x12345678u, key.GetDword(L"Runtime", L"hWnd"));
    ASSERT_TRUE(key.GetRaw(L"Cfg", L"Text", &type, &text, &bytes));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(8u, bytes);
    EXPECT_EQ(L"abc", text);
    EXPECT_EQ(9u, key.GetDword(nullptr, L"AtRoot"));

    EXPECT_STREQ(L"ftp.example.org",
                 store.ReadString(L"Sessions", L"host one", L"Host", L"").GetText());
    EXPECT_EQ(0x12345678u, store.ReadDword(L"Runtime", nullptr, L"hWnd", 0));
}

TEST_F(RegStoreTest, WrongTypesAndSizesGiveTheDefault) {
    ASSERT_TRUE(OpenStore());
    key.SetString(L"Cfg", L"TextNotNumber", L"5");
    const BYTE four[4] = {1, 0, 0, 0};
    key.SetRaw(L"Cfg", L"Binary", REG_BINARY, four, sizeof(four));
    key.SetRaw(L"Cfg", L"ShortDword", REG_DWORD, four, 2);
    const BYTE eight[8] = {1, 0, 0, 0, 2, 0, 0, 0};
    key.SetRaw(L"Cfg", L"LongDword", REG_DWORD, eight, sizeof(eight));
    key.SetDword(L"Cfg", L"NumberNotText", 65);
    const wchar_t multi[] = L"one\0two\0";
    key.SetRaw(L"Cfg", L"Multi", REG_MULTI_SZ, multi, sizeof(multi));

    EXPECT_EQ(42u, store.ReadDword(L"Cfg", nullptr, L"TextNotNumber", 42));
    EXPECT_EQ(42u, store.ReadDword(L"Cfg", nullptr, L"Binary", 42));
    EXPECT_EQ(42u, store.ReadDword(L"Cfg", nullptr, L"ShortDword", 42));
    EXPECT_EQ(42u, store.ReadDword(L"Cfg", nullptr, L"LongDword", 42));
    EXPECT_EQ(L"default", ReadText(L"NumberNotText"));
    EXPECT_EQ(L"default", ReadText(L"Multi"));
    EXPECT_EQ(L"default", ReadText(L"Binary"));
}

TEST_F(RegStoreTest, BrokenStringsAreReadWithinTheirBytes) {
    ASSERT_TRUE(OpenStore());
    key.SetRaw(L"Cfg", L"Unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));
    key.SetRaw(L"Cfg", L"OddBytes", REG_SZ, L"abcd", 7);
    key.SetRaw(L"Cfg", L"Empty", REG_SZ, L"", 0);
    key.SetRaw(L"Cfg", L"OneByte", REG_SZ, "x", 1);
    key.SetRaw(L"Cfg", L"EmbeddedNull", REG_SZ, L"ab\0cd", 6 * sizeof(wchar_t));
    key.SetRaw(L"Cfg", L"Expand", REG_EXPAND_SZ, L"%TEMP%\\x", 9 * sizeof(wchar_t));
    std::wstring big(5000, L'z');
    key.SetString(L"Cfg", L"Big", big);

    EXPECT_EQ(L"abc", ReadText(L"Unterminated"));
    EXPECT_EQ(L"abc", ReadText(L"OddBytes"));
    EXPECT_EQ(L"", ReadText(L"Empty"));
    EXPECT_EQ(L"", ReadText(L"OneByte"));
    EXPECT_EQ(L"ab", ReadText(L"EmbeddedNull"));
    EXPECT_EQ(L"%TEMP%\\x", ReadText(L"Expand"));
    EXPECT_EQ(big, ReadText(L"Big"));
}

TEST_F(RegStoreTest, UnopenedStoreReadsDefaultsAndWritesNothing) {
    store.SetMakerKey(RegTestKey::Maker());
    store.SetProductKey(key.Product());
    EXPECT_FALSE(store.IsOpen());
    store.WriteDword(L"Runtime", nullptr, L"hWnd", 5);
    store.WriteString(nullptr, nullptr, L"x", L"y");
    EXPECT_EQ(1u, store.ReadDword(L"Runtime", nullptr, L"hWnd", 1));
    EXPECT_STREQ(L"d", store.ReadString(nullptr, nullptr, L"x", L"d").GetText());
    PtrList<WString*> names;
    store.EnumSubkeys(L"Sessions", names);
    EXPECT_TRUE(names.IsEmpty());
    EXPECT_FALSE(store.DeleteKey(L"Sessions"));
    EXPECT_FALSE(key.Exists(nullptr));
}

TEST_F(RegStoreTest, KeyNamesThatWouldAddressAnotherKeyAreRefused) {
    RegStore emptyMaker;
    emptyMaker.SetMakerKey(L"");
    emptyMaker.SetProductKey(key.Product());
    EXPECT_FALSE(emptyMaker.Open());
    RegStore nestedProduct;
    nestedProduct.SetMakerKey(RegTestKey::Maker());
    nestedProduct.SetProductKey((std::wstring(key.Product()) + L"\\deeper").c_str());
    EXPECT_FALSE(nestedProduct.Open());
    EXPECT_FALSE(key.Exists(nullptr));

    ASSERT_TRUE(OpenStore());
    store.WriteString(L"Sessions", L"a\\b", L"Host", L"h");
    store.WriteString(L"Sessions", L"", L"Host", L"h");
    store.WriteString(L"Ses\\sions", nullptr, L"Host", L"h");
    EXPECT_FALSE(key.Exists(L"Sessions\\a"));
    EXPECT_FALSE(key.Exists(L"Ses"));
    DWORD type;
    EXPECT_FALSE(key.GetRaw(L"Sessions", L"Host", &type, nullptr, nullptr));

    store.WriteDword(L"Cfg", nullptr, L"kept", 1);
    EXPECT_FALSE(store.DeleteKey(nullptr));
    EXPECT_FALSE(store.DeleteKey(L""));
    EXPECT_FALSE(store.DeleteKey(L"Cfg\\..\\"));
    EXPECT_EQ(1u, key.GetDword(L"Cfg", L"kept"));
}

TEST_F(RegStoreTest, EnumerationAppendsEverySubkeyName) {
    ASSERT_TRUE(OpenStore());
    PtrList<WString*> names;
    store.EnumSubkeys(L"Sessions", names);
    EXPECT_TRUE(names.IsEmpty());
    store.WriteDword(L"Sessions", nullptr, L"v", 1);
    store.EnumSubkeys(L"Sessions", names);
    EXPECT_TRUE(names.IsEmpty());

    std::wstring longName(255, L'n');
    store.WriteDword(L"Sessions", L"Beta", L"Port", 1);
    store.WriteDword(L"Sessions", L"alpha", L"Port", 1);
    store.WriteDword(L"Sessions", longName.c_str(), L"Port", 1);
    names.AddTail(new WString(L"already there"));
    store.EnumSubkeys(L"Sessions", names);
    std::vector<std::wstring> found = Drain(names);
    ASSERT_EQ(4u, found.size());
    EXPECT_EQ(L"already there", found[0]);
    std::sort(found.begin() + 1, found.end());
    EXPECT_EQ(L"Beta", found[1]);
    EXPECT_EQ(L"alpha", found[2]);
    EXPECT_EQ(longName, found[3]);
}

TEST_F(RegStoreTest, DeleteKeyRemovesTheWholeTree) {
    ASSERT_TRUE(OpenStore());
    store.WriteString(L"Sessions", L"one", L"Host", L"a");
    store.WriteString(L"Sessions", L"two", L"Host", L"b");
    store.WriteDword(L"Sessions", nullptr, L"loose", 1);
    store.WriteDword(L"Runtime", nullptr, L"hWnd", 1);
    EXPECT_TRUE(store.DeleteKey(L"Sessions"));
    EXPECT_FALSE(key.Exists(L"Sessions"));
    EXPECT_TRUE(key.Exists(L"Runtime"));
    EXPECT_FALSE(store.DeleteKey(L"Sessions"));
}
