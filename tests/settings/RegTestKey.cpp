#include "RegTestKey.h"

#include <gtest/gtest.h>

namespace {

int keysMade = 0;

}  // namespace

// Short enough for the store's 63-character key names, unique per process and test.
RegTestKey::RegTestKey()
    : product(L"P" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++keysMade)) {
    RegDeleteTreeW(HKEY_CURRENT_USER, Path().c_str());
}

RegTestKey::~RegTestKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, Path().c_str());
    // Goes only when no other test's key is left below it.
    RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(L"Software\\") + Maker()).c_str());
}

std::wstring RegTestKey::Path(const wchar_t* below) const {
    std::wstring path = std::wstring(L"Software\\") + Maker() + L"\\" + product;
    return below ? path + L"\\" + below : path;
}

bool RegTestKey::Exists(const wchar_t* below) const { return CountSubkeys(below) >= 0; }

void RegTestKey::SetRaw(const wchar_t* below, const wchar_t* name, DWORD type, const void* data,
                        DWORD size) {
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, type, data, size));
}

void RegTestKey::SetDword(const wchar_t* below, const wchar_t* name, DWORD value) {
    SetRaw(below, name, REG_DWORD, &value, sizeof(value));
}

void RegTestKey::SetString(const wchar_t* below, const wchar_t* name, const std::wstring& text) {
    SetRaw(below, name, REG_SZ, text.c_str(),
           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void RegTestKey::DeleteValue(const wchar_t* below, const wchar_t* name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, Path(below).c_str(), name);
}

DWORD RegTestKey::GetType(const wchar_t* below, const wchar_t* name, DWORD* bytes) const {
    DWORD type = 0, size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                     nullptr, &size) != ERROR_SUCCESS)
        return 0;
    if (bytes) *bytes = size;
    return type;
}

DWORD RegTestKey::GetDword(const wchar_t* below, const wchar_t* name) const {
    DWORD value = 0xDEADBEEF, size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                 &size);
    return value;
}

int RegTestKey::CountSubkeys(const wchar_t* below) const {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(below).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD count = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return static_cast<int>(count);
}

UINT_PTR NextFreeHandle() {
    // Handles come from the lowest free slot.
    HKEY probe = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &probe);
    RegCloseKey(probe);
    return reinterpret_cast<UINT_PTR>(probe);
}
