#include "browsers/LocalDirEnum.h"

#include <cwchar>
#include <cwctype>

#include "framework/LocalPath.h"
#include "framework/TextUtil.h"

namespace {

// "C:", "C:\" or "C:/" with more after it: a path that names its drive.
bool NamesDrive(const wchar_t* name) {
    return iswalpha(name[0]) && name[1] == L':' && (name[2] == L'\0' || IsPathSeparator(name[2]));
}

bool IsRoot(const wchar_t* path) {
    if (IsPathSeparator(path[0])) return path[1] == L'\0';
    return NamesDrive(path) && (path[2] == L'\0' || path[3] == L'\0');
}

}  // namespace

LocalDirEnum::LocalDirEnum() : search(nullptr) { CopyText(path, L"\\"); }

LocalDirEnum::~LocalDirEnum() { CloseSearch(); }

void LocalDirEnum::CloseSearch() {
    if (search && search != INVALID_HANDLE_VALUE) FindClose(search);
    search = nullptr;
}

HRESULT LocalDirEnum::FindFirst(WIN32_FIND_DATAW* data, const wchar_t* pattern) {
    CloseSearch();
    if (!pattern && IsDriveList()) {
        DWORD length = GetLogicalDriveStringsW(0, nullptr);
        std::wstring roots(length, L'\0');
        drives.clear();
        if (length != 0 && GetLogicalDriveStringsW(length, &roots[0]) < length)
            for (const wchar_t* root = roots.c_str(); *root; root += wcslen(root) + 1)
                drives.push_back(root);
        return NextDrive(data);
    }
    wchar_t ownPattern[kPathCapacity + 4];
    if (!pattern) {
        if (!JoinPath(ownPattern, path, L"*.*")) return E_FAIL;
        pattern = ownPattern;
    }
    search = FindFirstFileW(pattern, data);
    return search == INVALID_HANDLE_VALUE ? E_FAIL : S_OK;
}

// Each drive as a folder named by its letter and colon, the last letter
// first: a view shows the last listed on top, so the drives read C:, D:, ...
HRESULT LocalDirEnum::NextDrive(WIN32_FIND_DATAW* data) {
    if (drives.empty()) return E_FAIL;
    *data = WIN32_FIND_DATAW();
    data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    CopyTextCut(data->cFileName, drives.back().c_str());
    if (NamesDrive(data->cFileName)) data->cFileName[2] = L'\0';
    drives.pop_back();
    return S_OK;
}

HRESULT LocalDirEnum::FindNext(WIN32_FIND_DATAW* data) {
    if (IsDriveList() && !search) return NextDrive(data);
    if (!search || search == INVALID_HANDLE_VALUE) return E_FAIL;
    if (FindNextFileW(search, data)) return S_OK;
    CloseSearch();
    return E_FAIL;
}

void LocalDirEnum::GoToParent() {
    if (IsRoot(path)) {
        path[0] = L'\0';
        return;
    }
    size_t cut = 0;
    for (size_t i = wcslen(path); i-- > 1;) {
        if (IsPathSeparator(path[i])) {
            cut = i;
            break;
        }
    }
    if (NamesDrive(path) && cut <= 2)
        path[3] = L'\0';  // "C:\A" goes up to "C:\"
    else if (cut >= 2)
        path[cut] = L'\0';
    else
        CopyText(path, L"\\");
}

HRESULT LocalDirEnum::ChangeDirectory(const wchar_t* name) {
    if (wcscmp(name, L"..") == 0) {
        GoToParent();
        return S_OK;
    }
    if (name[0] == L'\0') {
        path[0] = L'\0';
        return S_OK;
    }
    // A drive's own name opens its root.
    if (NamesDrive(name) && name[2] == L'\0') return JoinPath(path, name, L"") ? S_OK : E_FAIL;
    if (IsPathSeparator(name[0]) || NamesDrive(name)) return CopyText(path, name) ? S_OK : E_FAIL;
    return JoinPath(path, path, name) ? S_OK : E_FAIL;
}
