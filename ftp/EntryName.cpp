#include "ftp/EntryName.h"

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
