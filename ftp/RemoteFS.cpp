#include "ftp/RemoteFS.h"

#include "framework/FileSize.h"
#include "ftp/RemoteTreeDelete.h"

RemoteFS::RemoteFS()
    : statusWindow(nullptr),
      clock(),
      connectError(0),
      busy(false),
      closing(false),
      localTargetDir(),
      downloadCounters(),
      uploadCounters() {}

RemoteFS::~RemoteFS() = default;

bool RemoteFS::IsConnectionLost(DWORD error) {
    switch (error) {
        case ERROR_FTP_DROPPED:
        case ERROR_INTERNET_CONNECTION_ABORTED:
        case ERROR_INTERNET_CONNECTION_RESET:
        case ERROR_INTERNET_TIMEOUT:
        case ERROR_INTERNET_OPERATION_CANCELLED:
        case ERROR_INTERNET_INVALID_OPERATION:  // a garbled reply: the layer gave the connection up
        case ERROR_INTERNET_CANNOT_CONNECT:     // likewise for a data connection not made
        case ERROR_INVALID_HANDLE:
            return true;
        default:
            return false;
    }
}

bool RemoteFS::LocalFileExists(const wchar_t* path) {
    HANDLE file =
        CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

ULONGLONG RemoteFS::LocalFileSize(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
    return FileSizeOf(data);
}

HRESULT RemoteFS::DeleteRemoteTree(const wchar_t* name, DWORD* filesLeft, DWORD* foldersLeft) {
    RemoteTreeDelete walk(*this);
    walk.Run(name);
    if (filesLeft) *filesLeft = walk.FilesNotDeleted();
    if (foldersLeft) *foldersLeft = walk.FoldersNotDeleted();
    return walk.FilesNotDeleted() == 0 && walk.FoldersNotDeleted() == 0 ? S_OK : E_FAIL;
}
