#include "wininet/FtpFindHandle.h"

#include <cwchar>

namespace {

void FillFindData(const FtpListEntry& entry, WIN32_FIND_DATAW& data) {
    data = WIN32_FIND_DATAW();
    data.dwFileAttributes = entry.isDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    data.nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(entry.size);
    if (entry.hasTime) data.ftLastWriteTime = entry.lastWrite;
    data.dwReserved0 = entry.timeKind;
    // The parser keeps only names shorter than MAX_PATH, so this always fits.
    wmemcpy(data.cFileName, entry.name.c_str(), entry.name.size() + 1);
}

}  // namespace

FtpFindHandle::FtpFindHandle(std::shared_ptr<InternetHandle> connection,
                             std::vector<FtpListEntry> entries, DWORD_PTR context, DWORD endError)
    : InternetHandle(INTERNET_HANDLE_TYPE_FTP_FIND, std::move(connection), context),
      entries_(std::move(entries)),
      endError_(endError ? endError : ERROR_NO_MORE_FILES) {}

bool FtpFindHandle::Next(WIN32_FIND_DATAW& data) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (next_ >= entries_.size()) return false;
    FillFindData(entries_[next_++], data);
    return true;
}
