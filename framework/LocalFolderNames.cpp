#include "framework/LocalFolderNames.h"

#include <windows.h>

#include "framework/LocalPath.h"

void LocalFolderNames::Read(const wchar_t* folder) {
    names.clear();
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

void LocalFolderNames::Add(const std::wstring& name) { names.insert(Folded(name)); }

void LocalFolderNames::Remove(const std::wstring& name) { names.erase(Folded(name)); }

std::wstring LocalFolderNames::Folded(const std::wstring& name) {
    std::wstring folded = name;
    if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}
