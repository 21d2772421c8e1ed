#include "support/ScratchKey.h"

#include <gtest/gtest.h>

namespace {

// Moves a whole key; a missing source moves nothing, and the source goes only
// once its copy is complete.
void MoveKey(const std::wstring& from, const std::wstring& to) {
    HKEY source, target;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, from.c_str(), 0, KEY_READ, &source)) return;
    LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &target, nullptr);
    if (result == ERROR_SUCCESS) {
        result = RegCopyTreeW(source, nullptr, target);
        RegCloseKey(target);
    }
    RegCloseKey(source);
    if (result == ERROR_SUCCESS) RegDeleteTreeW(HKEY_CURRENT_USER, from.c_str());
}

}  // namespace

ScratchKey::ScratchKey(const std::wstring& path) : path(path), backup(path + L" test backup") {
    MoveKey(path, backup);
    movedAside = !Exists(nullptr);
    EXPECT_TRUE(movedAside) << "could not move the existing key aside";
}

// A key that could not be moved aside is the user's own: it is left alone.
ScratchKey::~ScratchKey() {
    if (!movedAside) return;
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    MoveKey(backup, path);
    RegDeleteKeyW(HKEY_CURRENT_USER, path.substr(0, path.rfind(L'\\')).c_str());  // only if empty
}

std::wstring ScratchKey::Path(const wchar_t* below) const {
    return below ? path + L"\\" + below : path;
}

int ScratchKey::CountSubkeys(const wchar_t* below) const {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(below).c_str(), 0, KEY_READ, &key)) return -1;
    DWORD count = 0;
    RegQueryInfoKeyW(key, 0, 0, 0, &count, 0, 0, 0, 0, 0, 0, 0);
    RegCloseKey(key);
    return static_cast<int>(count);
}

void ScratchKey::SetRaw(const wchar_t* below, const wchar_t* name, DWORD type, const void* data,
                        size_t size) const {
    EXPECT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, type, data,
                                 static_cast<DWORD>(size)));
}

void ScratchKey::SetDword(const wchar_t* below, const wchar_t* name, DWORD value) const {
    SetRaw(below, name, REG_DWORD, &value, sizeof(value));
}

void ScratchKey::SetString(const wchar_t* below, const wchar_t* name,
                           const std::wstring& text) const {
    SetRaw(below, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

DWORD ScratchKey::GetType(const wchar_t* below, const wchar_t* name, DWORD* bytes) const {
    DWORD type = 0, size = 0;
    // Wine leaves the type unset for a missing value.
    if (RegGetValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                     nullptr, &size) != ERROR_SUCCESS)
        type = size = 0;
    if (bytes) *bytes = size;
    return type;
}

DWORD ScratchKey::GetDword(const wchar_t* below, const wchar_t* name) const {
    DWORD value = 0xDEADBEEF, size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                 &size);
    return value;
}
