#include "browsers/LocalDirEnum.h"

#include <cwchar>

#include "framework/LocalPath.h"
#include "framework/TextUtil.h"

LocalDirEnum::LocalDirEnum() : search(nullptr) { CopyText(path, L"\\"); }

LocalDirEnum::~LocalDirEnum() { CloseSearch(); }

void LocalDirEnum::CloseSearch() {
    if (search && search != INVALID_HANDLE_VALUE) FindClose(search);
    search = nullptr;
}

HRESULT LocalDirEnum::FindFirst(WIN32_FIND_DATAW* data, const wchar_t* pattern) {
    CloseSearch();
    wchar_t ownPattern[kPathCapacity + 4];
    if (!pattern) {
        if (!JoinPath(ownPattern, path, L"*.*")) return E_FAIL;
        pattern = ownPattern;
    }
    search = FindFirstFileW(pattern, data);
    return search == INVALID_HANDLE_VALUE ? E_FAIL : S_OK;
}

HRESULT LocalDirEnum::FindNext(WIN32_FIND_DATAW* data) {
    if (!search || search == INVALID_HANDLE_VALUE) return E_FAIL;
    if (FindNextFileW(search, data)) return S_OK;
    CloseSearch();
    return E_FAIL;
}

void LocalDirEnum::GoToParent() {
    size_t cut = 0;
    for (size_t i = wcslen(path); i-- > 1;) {
        if (IsPathSeparator(path[i])) {
            cut = i;
            break;
        }
    }
    if (cut >= 2)
        path[cut] = L'\0';
    else
        CopyText(path, L"\\");
}

HRESULT LocalDirEnum::ChangeDirectory(const wchar_t* name) {
    if (wcscmp(name, L"..") == 0) {
        GoToParent();
        return S_OK;
    }
    if (IsPathSeparator(name[0])) return CopyText(path, name) ? S_OK : E_FAIL;
    return JoinPath(path, path, name) ? S_OK : E_FAIL;
}
