#include "ftp/EntryName.h"

#include <windows.h>

#include <cwchar>

bool IsSafeEntryName(const wchar_t* name, size_t capacity) {
    size_t length = wcsnlen(name, capacity);
    if (length == 0 || length == capacity) return false;
    if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0) return false;
    return wcspbrk(name, L"/\\") == nullptr;
}

bool IsSafeCommandArgument(const wchar_t* text) {
    return !text || wcspbrk(text, L"\r\n") == nullptr;
}

bool IsSafeNewName(const wchar_t* name) {
    return IsSafeEntryName(name, MAX_PATH) && IsSafeCommandArgument(name);
}

// Windows reads the part before the first dot, less trailing blanks, as the
// device name: "nul .txt" is NUL. COM and LPT take a digit, superscripts too.
size_t DeviceNameLength(const wchar_t* name) {
    static const wchar_t* const devices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    size_t stem = wcscspn(name, L".");
    while (stem > 0 && name[stem - 1] == L' ') --stem;
    for (const wchar_t* device : devices)
        if (stem == wcslen(device) && _wcsnicmp(name, device, stem) == 0) return stem;
    bool numbered = _wcsnicmp(name, L"COM", 3) == 0 || _wcsnicmp(name, L"LPT", 3) == 0;
    return numbered && stem == 4 && wcschr(L"0123456789\u00b9\u00b2\u00b3", name[3]) ? stem : 0;
}

bool IsStorableLocalName(const wchar_t* name) {
    size_t length = wcslen(name);
    if (length == 0 || name[length - 1] == L'.' || name[length - 1] == L' ') return false;
    for (const wchar_t* c = name; *c; ++c)
        if (*c < 32 || wcschr(L"<>:\"/\\|?*", *c)) return false;
    return DeviceNameLength(name) == 0;
}
