#include "ftp/FileTimes.h"

#include <io.h>

#include "wininet/FtpTime.h"

namespace {

const FileStamp kSecond = 10000000ULL;
const FileStamp kTolerance = 2 * kSecond;

KnownTime Exact(FileStamp stamp) { return KnownTime{stamp, stamp != 0, stamp != 0}; }

}  // namespace

HANDLE HandleOf(FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

FileStamp StampOf(const FILETIME& time) {
    return (FileStamp(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(FileStamp stamp) {
    return FILETIME{static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)};
}

bool SourceIsNewer(const KnownTime& source, const KnownTime& target) {
    if (!source.comparable || !target.comparable) return true;
    return source.utc > target.utc + kTolerance;
}

KnownTime ListedTimeOf(const WIN32_FIND_DATAW& data, const ServerClock& clock) {
    FileStamp listed = StampOf(data.ftLastWriteTime);
    if (listed == 0 || data.dwReserved0 == kListedDayOnly) return KnownTime();
    if (data.dwReserved0 == kListedUtc) return Exact(listed);
    LONGLONG east = LONGLONG(clock.offsetHours) * 3600 * LONGLONG(kSecond);
    if (clock.offsetGiven) return KnownTime{FileStamp(LONGLONG(listed) - east), true, false};
    FILETIME utc;
    if (!LocalFileTimeToFileTime(&data.ftLastWriteTime, &utc)) return KnownTime();
    return KnownTime{StampOf(utc), false, false};
}

KnownTime LocalTimeOf(FILE* file) {
    FILETIME written;
    if (!GetFileTime(HandleOf(file), nullptr, nullptr, &written)) return KnownTime();
    return Exact(StampOf(written));
}

KnownTime LocalTimeOf(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return KnownTime();
    return Exact(StampOf(data.ftLastWriteTime));
}

bool CloseLocalFile(FILE* file, FileStamp stamp) {
    bool flushed = fflush(file) == 0;
    FILETIME time = ToFileTime(stamp);
    if (flushed && stamp) SetFileTime(HandleOf(file), nullptr, nullptr, &time);
    return fclose(file) == 0 && flushed;
}
