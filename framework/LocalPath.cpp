#include "framework/LocalPath.h"

#include <cwchar>
#include <string>

bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool EndsWithSeparator(const wchar_t* path) {
    size_t length = wcslen(path);
    return length > 0 && IsPathSeparator(path[length - 1]);
}

static std::wstring Joined(const wchar_t* directory, const wchar_t* name) {
    std::wstring joined(directory);
    if (!EndsWithSeparator(directory)) joined += L'\\';
    joined += name;
    return joined;
}

bool JoinPath(wchar_t* dest, size_t capacity, const wchar_t* directory, const wchar_t* name) {
    std::wstring joined = Joined(directory, name);
    if (joined.size() >= capacity) return false;
    wmemcpy(dest, joined.c_str(), joined.size() + 1);
    return true;
}

WString JoinedPath(const wchar_t* directory, const wchar_t* name) {
    return WString(Joined(directory, name).c_str());
}

WString MakeEntryItem(wchar_t type, const wchar_t* directory, const wchar_t* name) {
    return WString((std::wstring(1, type) + Joined(directory, name)).c_str());
}

bool IsDotEntry(const wchar_t* name) { return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0; }
