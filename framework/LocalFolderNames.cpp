#include "framework/LocalFolderNames.h"

#include <windows.h>

#include "framework/LocalPath.h"

namespace {

// Wine's own export, which Windows lacks: the Unix file name of a Win32 path.
using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);

UnixFileNameFunction UnixFileName() {
    static const auto function =
        reinterpret_cast<UnixFileNameFunction>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    return function;
}

// "\\?\unix\..." for the folder; empty outside Wine, and where its Unix path is
// not plain ASCII (Wine would read the bytes back in its Unix code page) or
// holds a "\" (a separator in that namespace).
std::wstring UnixNamespaceFolder(const wchar_t* folder) {
    UnixFileNameFunction unixFileName = UnixFileName();
    char* unixPath = unixFileName ? unixFileName(folder) : nullptr;
    if (!unixPath) return std::wstring();
    std::wstring path = L"\\\\?\\unix";
    bool plain = unixPath[0] == '/';
    for (const char* c = unixPath; plain && *c; ++c) {
        plain = *c >= 0x20 && *c < 0x7f && *c != '\\';
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    }
    HeapFree(GetProcessHeap(), 0, unixPath);
    return plain ? path : std::wstring();
}

}  // namespace

void LocalFolderNames::Read(const wchar_t* folder) {
    names.clear();
    unixFolder = UnixNamespaceFolder(folder);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(JoinedPath(folder, L"*").GetText(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do Add(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
}

bool LocalFolderNames::Holds(const std::wstring& name) const {
    return names.count(Folded(name)) != 0;
}

std::wstring LocalFolderNames::PathToMake(const std::wstring& name,
                                          const wchar_t* plainPath) const {
    if (unixFolder.empty() || Holds(name)) return plainPath;
    return JoinedPath(unixFolder.c_str(), name.c_str()).GetText();
}

void LocalFolderNames::Add(const std::wstring& name) { names.insert(Folded(name)); }

void LocalFolderNames::Remove(const std::wstring& name) { names.erase(Folded(name)); }

std::wstring LocalFolderNames::Folded(const std::wstring& name) {
    std::wstring folded = name;
    if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}
