#include "ftp/PartFile.h"

#include <fcntl.h>
#include <io.h>

#include <vector>

#include "ftp/FileTimes.h"
#include "ftp/RemoteFS.h"

namespace {

const wchar_t kPartSuffix[] = L".corvane-part";

}  // namespace

std::wstring PartFileName(const wchar_t* nameOrPath) {
    return std::wstring(nameOrPath) + kPartSuffix;
}

bool PreparePartFile(const wchar_t* target, const wchar_t* part, ULONGLONG size,
                     ULONGLONG* offset) {
    if (!RemoteFS::LocalFileExists(part) && !CopyFileW(target, part, FALSE)) return false;
    ULONGLONG partial = RemoteFS::LocalFileSize(part);
    *offset = partial <= size ? partial : 0;
    return true;
}

FILE* OpenPartFile(const wchar_t* path, bool append) {
    HANDLE handle = CreateFileW(
        path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), append ? _O_APPEND : 0);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _wfdopen(descriptor, append ? L"ab" : L"wb");
    if (!file) _close(descriptor);
    return file;
}

bool MoveOpenPartFile(FILE* file, const std::wstring& target, DWORD moveFlags) {
    if (fflush(file) != 0) return false;
    size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<char> block(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    rename->ReplaceIfExists = (moveFlags & MOVEFILE_REPLACE_EXISTING) != 0;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    memcpy(rename->FileName, target.c_str(), nameBytes + sizeof(wchar_t));
    return SetFileInformationByHandle(HandleOf(file), FileRenameInfo, rename,
                                      static_cast<DWORD>(block.size()));
}
