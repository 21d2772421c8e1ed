#include "cestore.h"

#include <string>

// The handheld has one object store; here the store is the volume of the folder
// the local view shows. The path is set on the interface thread and read by
// the transfer workers, hence the lock.

namespace {

SRWLOCK pathLock = SRWLOCK_INIT;
std::wstring storePath;

std::wstring StorePath() {
    AcquireSRWLockShared(&pathLock);
    std::wstring path = storePath;
    ReleaseSRWLockShared(&pathLock);
    return path;
}

std::wstring CurrentDirectory() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return std::wstring();
    std::wstring path(size, L'\0');
    DWORD length = GetCurrentDirectoryW(size, &path[0]);
    if (length == 0 || length >= size) return std::wstring();
    path.resize(length);
    return path;
}

// The volume's root accepts any path on it, even one that no longer exists.
bool VolumeRootOf(const std::wstring& path, std::wstring* root) {
    std::wstring buffer(path.size() + MAX_PATH, L'\0');
    if (!GetVolumePathNameW(path.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()))) {
        return false;
    }
    buffer.resize(wcslen(buffer.c_str()));
    *root = buffer;
    return true;
}

DWORD Saturate(ULONGLONG size) {
    return size > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(size);
}

}  // namespace

void SetStoreInformationPath(const wchar_t* path) {
    AcquireSRWLockExclusive(&pathLock);
    storePath = path ? path : L"";
    ReleaseSRWLockExclusive(&pathLock);
}

BOOL GetStoreInformation(STORE_INFORMATION* info) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::wstring path = StorePath();
    if (path.empty()) path = CurrentDirectory();
    std::wstring root;
    ULARGE_INTEGER available, total;
    if (path.empty() || !VolumeRootOf(path, &root) ||
        !GetDiskFreeSpaceExW(root.c_str(), &available, &total, nullptr)) {
        return FALSE;
    }
    info->dwStoreSize = Saturate(total.QuadPart);
    info->dwFreeSize = Saturate(available.QuadPart);
    return TRUE;
}
