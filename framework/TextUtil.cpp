#include "framework/TextUtil.h"

#include <cwchar>

bool CopyText(wchar_t* dest, size_t capacity, const wchar_t* source) {
    if (capacity == 0) return false;
    if (!source) source = L"";
    size_t length = wcslen(source);
    if (length >= capacity) return false;
    wmemmove(dest, source, length + 1);
    return true;
}

bool AppendText(wchar_t* dest, size_t capacity, const wchar_t* source) {
    size_t used = wcsnlen(dest, capacity);
    if (used >= capacity) return false;
    return CopyText(dest + used, capacity - used, source);
}

void CopyTextCut(wchar_t* dest, size_t capacity, const wchar_t* source) {
    if (capacity == 0) return;
    if (!source) source = L"";
    size_t length = wcsnlen(source, capacity - 1);
    wmemmove(dest, source, length);
    dest[length] = L'\0';
}

void CopyTextEllipsis(wchar_t* dest, size_t capacity, const wchar_t* source) {
    if (CopyText(dest, capacity, source) || capacity < 2) return;
    CopyTextCut(dest, capacity - 1, source);
    dest[capacity - 2] = L'\u2026';
    dest[capacity - 1] = L'\0';
}
