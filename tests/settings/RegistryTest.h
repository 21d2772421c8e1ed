#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings/RegStore.h"

// A store on a throw-away product key under HKCU\Software\CorvaneTest, removed
// with everything below it after the test; "below" names a key under it. The
// raw helpers bypass the program's own code.
class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int keysMade = 0;  // keeps names under the store's 63-character limit
        product =
            L"P" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++keysMade);
        store.SetMakerKey(L"CorvaneTest");
        store.SetProductKey(product.c_str());
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, Path(nullptr).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CorvaneTest");  // only once empty
    }

    std::wstring Path(const wchar_t* below) {
        std::wstring path = L"Software\\CorvaneTest\\" + product;
        return below ? path + L"\\" + below : path;
    }
    int CountSubkeys(const wchar_t* below) {  // -1 when the key is missing
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(below).c_str(), 0, KEY_READ, &key)) return -1;
        DWORD count = 0;
        RegQueryInfoKeyW(key, 0, 0, 0, &count, 0, 0, 0, 0, 0, 0, 0);
        RegCloseKey(key);
        return static_cast<int>(count);
    }
    bool Exists(const wchar_t* below) { return CountSubkeys(below) >= 0; }
    void SetRaw(const wchar_t* below, const wchar_t* name, DWORD type, const void* data,
                size_t size) {
        EXPECT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, type, data,
                                     static_cast<DWORD>(size)));
    }
    void SetDword(const wchar_t* below, const wchar_t* name, DWORD value) {
        SetRaw(below, name, REG_DWORD, &value, sizeof(value));
    }
    void SetString(const wchar_t* below, const wchar_t* name, const std::wstring& text) {
        SetRaw(below, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    void DeleteValue(const wchar_t* below, const wchar_t* name) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, Path(below).c_str(), name);
    }
    // The stored type (0 when missing) and size.
    DWORD GetType(const wchar_t* below, const wchar_t* name, DWORD* bytes = nullptr) {
        DWORD type = 0, size = 0;
        RegGetValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                     nullptr, &size);
        if (bytes) *bytes = size;
        return type;
    }
    DWORD GetDword(const wchar_t* below, const wchar_t* name) {
        DWORD value = 0xDEADBEEF, size = sizeof(value);
        RegGetValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size);
        return value;
    }
    // Handles come from the lowest free slot, so a key left open moves this value.
    static UINT_PTR NextFreeHandle() {
        HKEY probe = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &probe);
        RegCloseKey(probe);
        return reinterpret_cast<UINT_PTR>(probe);
    }

    std::wstring product;
    RegStore store;
};
