#include "ftp/LocalNameMap.h"

#include <windows.h>

#include <cwchar>

#include "ftp/EntryName.h"

namespace {

const wchar_t kHexDigits[] = L"0123456789ABCDEF";

// Only characters up to 0xFF are ever written as %XX: the refused ones are
// ASCII and a device name ends in a letter, a digit, "$" or a superscript.
bool MustEscape(const std::wstring& name, size_t index, size_t deviceLength) {
    wchar_t c = name[index];
    if (c == L'%' || c < 32 || wcschr(L"<>:\"|?*", c)) return true;
    if (index + 1 == deviceLength) return true;
    return index + 1 == name.size() && (c == L'.' || c == L' ');
}

std::wstring Mapped(const std::wstring& name) {
    size_t deviceLength = DeviceNameLength(name.c_str());
    std::wstring mapped;
    for (size_t i = 0; i < name.size(); ++i) {
        if (!MustEscape(name, i, deviceLength)) {
            mapped += name[i];
            continue;
        }
        mapped += L'%';
        mapped += kHexDigits[(name[i] >> 4) & 0xF];
        mapped += kHexDigits[name[i] & 0xF];
    }
    return mapped;
}

int HexValue(wchar_t digit) {
    const wchar_t* found = digit ? wcschr(kHexDigits, digit) : nullptr;
    return found ? static_cast<int>(found - kHexDigits) : -1;
}

// Every "%" followed by two upper-case hex digits; false for any other "%".
bool Decoded(const std::wstring& local, std::wstring* decoded) {
    decoded->clear();
    for (size_t i = 0; i < local.size(); ++i) {
        if (local[i] != L'%') {
            *decoded += local[i];
            continue;
        }
        int high = i + 2 < local.size() ? HexValue(local[i + 1]) : -1;
        int low = high >= 0 ? HexValue(local[i + 2]) : -1;
        if (low < 0) return false;
        *decoded += static_cast<wchar_t>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool IsTransferableName(const std::wstring& name) {
    return name.find(L'\0') == std::wstring::npos && IsSafeEntryName(name.c_str(), MAX_PATH);
}

bool NeedsMapping(const std::wstring& name);

// True when local is the mapping of another transferable name, given in remote.
// Each step down decodes at least one "%XX", so the names shrink to an end.
bool Unmapped(const std::wstring& local, std::wstring* remote) {
    if (local.find(L'%') == std::wstring::npos || !Decoded(local, remote)) return false;
    return IsTransferableName(*remote) && NeedsMapping(*remote) && Mapped(*remote) == local;
}

bool NeedsMapping(const std::wstring& name) {
    std::wstring original;
    return !IsStorableLocalName(name.c_str()) || Unmapped(name, &original);
}

}  // namespace

std::wstring LocalNameFor(const std::wstring& remote) {
    if (!IsTransferableName(remote)) return std::wstring();
    return NeedsMapping(remote) ? Mapped(remote) : remote;
}

std::wstring RemoteNameFor(const std::wstring& local) {
    std::wstring remote;
    return Unmapped(local, &remote) ? remote : local;
}
