#include "ftp/PartFile.h"

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
