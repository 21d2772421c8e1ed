#include <tuple>

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

TEST_F(RegStoreTest, OpenCreatesTheKeysAndWritesGoTypedOnlyWhereTheNamesSay) {
    store.SetProductKey(L"Store\\deeper");
    EXPECT_FALSE(store.Open());
    // Unopened: defaults, and nothing reaches the registry.
    store.WriteDword(L"Runtime", nullptr, L"x", 1);
    EXPECT_EQ(3u, store.ReadDword(L"Runtime", nullptr, L"x", 3));
    EXPECT_FALSE(key.Exists(nullptr));

    store.SetProductKey(L"Store");
    ASSERT_TRUE(store.Open());
    UINT_PTR freeBefore = NextFreeHandle();
    store.WriteDword(L"Runtime", nullptr, L"hWnd", 0x12345678);
    store.WriteString(L"Sessions", L"host one", L"Host", L"abc");
    // A backslash or an empty name would address another key.
    store.WriteString(L"Sessions", L"a\\b", L"Host", L"h");
    store.WriteString(L"Sessions", L"", L"Host", L"h");
    EXPECT_EQ(freeBefore, NextFreeHandle());
    DWORD bytes = 0;
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), key.GetType(L"Runtime", L"hWnd", &bytes));
    EXPECT_EQ(4u, bytes);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), key.GetType(L"Sessions\\host one", L"Host", &bytes));
    EXPECT_EQ(8u, bytes);
    EXPECT_EQ(1, key.CountSubkeys(L"Sessions"));
    EXPECT_EQ(0u, key.GetType(L"Sessions", L"Host"));
    EXPECT_FALSE(store.DeleteKey(nullptr));
    EXPECT_FALSE(store.DeleteKey(L""));
    EXPECT_TRUE(key.Exists(L"Runtime"));
}

TEST_F(RegStoreTest, WrongTypesGiveTheDefaultAndBrokenStringsStayInTheirBytes) {
    ASSERT_TRUE(store.Open());
    const BYTE four[4] = {1, 0, 0, 0};
    // Stored type, data and size; then what ReadString and ReadDword give,
    // with the defaults "default" and 42.
    // clang-format off
    const std::tuple<DWORD, const void*, DWORD, const wchar_t*, DWORD> rows[] = {
        {REG_DWORD, four, 4, L"default", 1},
        {REG_DWORD, four, 2, L"default", 42},
        {REG_MULTI_SZ, L"one\0two\0", 18, L"default", 42},
        {REG_SZ, L"5", 4, L"5", 42},
        {REG_SZ, L"abc", 6, L"abc", 42},  // no terminator
        {REG_SZ, L"abcd", 7, L"abc", 42},  // odd byte count
        {REG_SZ, "x", 1, L"", 42},
        {REG_SZ, L"ab\0cd", 12, L"ab", 42},  // the text ends at the first null
        {REG_EXPAND_SZ, L"%TEMP%", 12, L"%TEMP%", 42},
    };
    // clang-format on
    UINT_PTR freeBefore = NextFreeHandle();
    for (const auto& [type, data, size, text, number] : rows) {
        key.SetRaw(L"Cfg", L"v", type, data, size);
        EXPECT_STREQ(text, store.ReadString(L"Cfg", nullptr, L"v", L"default").GetText())
            << type << "/" << size;
        EXPECT_EQ(number, store.ReadDword(L"Cfg", nullptr, L"v", 42)) << type << "/" << size;
    }
    EXPECT_STREQ(L"none", store.ReadString(L"Cfg", nullptr, L"missing", L"none").GetText());
    EXPECT_EQ(freeBefore, NextFreeHandle());
    key.SetString(L"Cfg", L"v", std::wstring(5000, L'z'));
    EXPECT_EQ(std::wstring(5000, L'z'), store.ReadString(L"Cfg", nullptr, L"v", L"").GetText());
}
