#include <string>

#include "RegistryTest.h"

namespace {

using RegStoreTest = RegistryTest;

// Handles come from the lowest free slot, so a key left open moves this value.
UINT_PTR NextFreeHandle() {
    HKEY probe = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &probe);
    RegCloseKey(probe);
    return reinterpret_cast<UINT_PTR>(probe);
}

}  // namespace

TEST_F(RegStoreTest, FirstRunCreatesTheKeysAndReadsGiveDefaultsWithoutLeakingHandles) {
    EXPECT_FALSE(key.Exists(nullptr));
    ASSERT_TRUE(store.Open());
    EXPECT_TRUE(key.Exists(nullptr));
    key.SetDword(L"Runtime", L"other", 1);
    UINT_PTR freeBefore = NextFreeHandle();
    EXPECT_EQ(7u, store.ReadDword(L"Runtime", nullptr, L"hWnd", 7));
    EXPECT_EQ(7u, store.ReadDword(nullptr, nullptr, L"hWnd", 7));
    EXPECT_STREQ(L"none", store.ReadString(L"Sessions", L"x", L"Host", L"none").GetText());
    EXPECT_EQ(nullptr, store.ReadString(L"Runtime", nullptr, L"v", nullptr).GetText());
    store.WriteDword(L"Runtime", nullptr, L"hWnd", 0x12345678);
    store.WriteString(L"Sessions", L"host one", L"Host", L"abc");
    EXPECT_EQ(freeBefore, NextFreeHandle());

    DWORD bytes = 0;
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), key.GetType(L"Runtime", L"hWnd", &bytes));
    EXPECT_EQ(4u, bytes);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), key.GetType(L"Sessions\\host one", L"Host", &bytes));
    EXPECT_EQ(8u, bytes);
    EXPECT_STREQ(L"abc", store.ReadString(L"Sessions", L"host one", L"Host", L"").GetText());
    EXPECT_EQ(0x12345678u, store.ReadDword(L"Runtime", nullptr, L"hWnd", 0));
}

TEST_F(RegStoreTest, WrongTypesGiveTheDefaultAndBrokenStringsStayInTheirBytes) {
    ASSERT_TRUE(store.Open());
    const BYTE eight[8] = {1, 0, 0, 0, 2, 0, 0, 0};
    const struct {
        DWORD type;
        const void* data;
        DWORD size;
        const wchar_t* text;  // as read by ReadString, "default" when refused
        DWORD number;         // as read by ReadDword, 42 when refused
    } rows[] = {
        {REG_DWORD, eight, 4, L"default", 1},
        {REG_DWORD, eight, 2, L"default", 42},
        {REG_DWORD, eight, 8, L"default", 42},
        {REG_BINARY, eight, 4, L"default", 42},
        {REG_MULTI_SZ, L"one\0two\0", 18, L"default", 42},
        {REG_SZ, L"5", 4, L"5", 42},
        {REG_SZ, L"abc", 6, L"abc", 42},  // no terminator
        {REG_SZ, L"abcd", 7, L"abc", 42},
        {REG_SZ, "x", 1, L"", 42},
        {REG_SZ, L"ab\0cd", 12, L"ab", 42},
        {REG_EXPAND_SZ, L"%TEMP%", 12, L"%TEMP%", 42},
    };
    for (const auto& row : rows) {
        key.SetRaw(L"Cfg", L"v", row.type, row.data, row.size);
        std::wstring text = store.ReadString(L"Cfg", nullptr, L"v", L"default").GetText();
        EXPECT_EQ(row.text, text) << "row " << &row - rows;
        EXPECT_EQ(row.number, store.ReadDword(L"Cfg", nullptr, L"v", 42)) << "row " << &row - rows;
    }
    key.SetString(L"Cfg", L"v", std::wstring(5000, L'z'));
    EXPECT_EQ(std::wstring(5000, L'z'), store.ReadString(L"Cfg", nullptr, L"v", L"").GetText());
}

TEST_F(RegStoreTest, NamesThatWouldAddressAnotherKeyAreRefused) {
    for (const wchar_t* product : {L"Store\\deeper", L""}) {
        store.SetProductKey(product);
        EXPECT_FALSE(store.Open());
    }
    EXPECT_FALSE(key.Exists(nullptr));
    // Unopened: defaults, and nothing reaches the registry.
    store.WriteDword(nullptr, nullptr, L"x", 1);
    EXPECT_EQ(3u, store.ReadDword(nullptr, nullptr, L"x", 3));
    EXPECT_FALSE(store.DeleteKey(L"Sessions"));

    store.SetProductKey(L"Store");
    ASSERT_TRUE(store.Open());
    store.WriteString(L"Sessions", L"a\\b", L"Host", L"h");
    store.WriteString(L"Sessions", L"", L"Host", L"h");
    EXPECT_FALSE(key.Exists(L"Sessions"));
    store.WriteDword(nullptr, nullptr, L"kept", 1);
    EXPECT_FALSE(store.DeleteKey(nullptr));
    EXPECT_FALSE(store.DeleteKey(L""));
    EXPECT_EQ(1u, key.GetDword(nullptr, L"kept"));
}
