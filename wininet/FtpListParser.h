#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wininet/FtpTime.h"

// One entry of a remote listing, with a name that is safe to use as a single
// path component on either side.
struct FtpListEntry {
    std::wstring name;
    bool legacyName = false;  // not UTF-8: decoded as Latin-1
    bool isDirectory = false;
    unsigned long long size = 0;
    bool hasTime = false;
    FILETIME lastWrite = {};
    DWORD timeKind = kListedServerClock;  // how lastWrite is to be read
};

enum class FtpListStyle { kList, kMlsd };

// True for a name that can neither climb nor escape the folder it is listed in.
bool IsSafeEntryName(const std::wstring& name);

// One MLSD line ("facts; name") or an MLST fact line without its leading blank.
// False for lines that are not entries, for "." and ".." and for unsafe names.
bool ParseMlsxLine(const std::string& line, FtpListEntry& entry);

// One LIST line in the Unix "ls -l" or the DOS/IIS style. Dates without a year
// are placed in the year up to `now`.
bool ParseListLine(const std::string& line, const SYSTEMTIME& now, FtpListEntry& entry);

// Turns a listing into entries as its bytes arrive, one line at a time, so
// that memory follows the entries and never a hostile server's endless line:
// a line is measured before it is parsed.
class FtpListingReader {
  public:
    FtpListingReader(FtpListStyle style, const SYSTEMTIME& now) : style_(style), now_(now) {}

    // False once a line has grown longer than any entry's can be.
    bool Add(const char* data, size_t size);
    // Takes the entries, the last line included when it has no line end.
    std::vector<FtpListEntry> Finish();
    // Takes the entries of whole lines only: what a listing that broke off
    // surely delivered, never a line cut short.
    std::vector<FtpListEntry> TakeWholeLines();

  private:
    void ParseLine(const char* begin, const char* end);

    const FtpListStyle style_;
    const SYSTEMTIME now_;
    std::string partial_;  // the start of a line whose end has not come yet
    std::vector<FtpListEntry> entries_;
};

// Splits a whole listing into lines and keeps the entries that parse.
std::vector<FtpListEntry> ParseListing(const std::string& data, FtpListStyle style,
                                       const SYSTEMTIME& now);
