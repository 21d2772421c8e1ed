#include <gtest/gtest.h>

#include <cstdio>

#include "wininet/FtpListParser.h"

using namespace std::string_literals;

namespace {

constexpr FtpListStyle kMlsd = FtpListStyle::kMlsd, kList = FtpListStyle::kList;

struct KeptLine {
    std::string line;
    FtpListStyle style;
    std::wstring name;  // a folder's with a trailing slash
    unsigned long long size;
    std::string time;  // as MLSD writes it; empty when the line gives none
};

using DroppedLine = std::pair<std::string, FtpListStyle>;

// Listings are read on 15 June 2024, so a date without a year after that is last year's.
std::vector<FtpListEntry> Parse(const std::string& lines, FtpListStyle style) {
    return ParseListing(lines, style, SYSTEMTIME{2024, 6, 6, 15, 0, 0, 0, 0});
}

std::string TimeOf(const FtpListEntry& entry) {
    if (!entry.hasTime) return "";
    SYSTEMTIME t = {};
    FileTimeToSystemTime(&entry.lastWrite, &t);
    char text[16];
    snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return text;
}

const std::string kUnixFile = "-rw-r--r-- 1 u g 1 Jan 31 10:00 ";

// Lines captured from several servers, with what the client must make of them.
const std::vector<KeptLine> kKept = {
    {"type=file;size=5120;modify=20240131103005;perm=r; report.txt\r\n", kMlsd, L"report.txt", 5120,
     "20240131103005"},
    {"Type=DIR;Modify=20230202020202.123; My Folder\r\n", kMlsd, L"My Folder/", 0,
     "20230202020202"},
    {"type=file;size=6442450944; big.iso\r\n", kMlsd, L"big.iso", 6442450944ULL, ""},
    // A link is a file unless the server says it is a folder, so walks cannot loop through it.
    {"type=OS.unix=slink:/etc;size=4; link\r\n", kMlsd, L"link", 4, ""},
    {"type=file;size=1;  two leading blanks\r\n", kMlsd, L" two leading blanks", 1, ""},
    // A size past 64 bits is unknown rather than wrapped.
    {"type=file;size=99999999999999999999999; too big\r\n", kMlsd, L"too big", 0, ""},
    {"type=file;size=1; Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC.txt\r\n", kMlsd,
     L"Gr\u00FC\u00DF \u20AC.txt", 1, ""},
    // Not UTF-8: each byte is taken as one Latin-1 letter rather than dropped.
    {"type=file;size=1; caf\xE9\r\n", kMlsd, L"caf\u00E9", 1, ""},
    {"type=file;size=1; " + std::string(MAX_PATH - 1, 'y') + "\r\n", kMlsd,
     std::wstring(MAX_PATH - 1, L'y'), 1, ""},
    // pyftpdlib, vsftpd (numeric owners), pure-ftpd (no group column)
    {"-rw-r--r--   1 owner    group        5121 Jan 31 10:00 name with  blanks.txt\r\n", kList,
     L"name with  blanks.txt", 5121, "20240131100000"},
    {"drwxr-xr-x   2 owner    group        4096 Dec 24  2019 old folder\r\n", kList, L"old folder/",
     4096, "20191224000000"},
    {"-rw-------    1 1000     1000      1048576 Mar 03 09:15 data.bin\r\n", kList, L"data.bin",
     1048576, "20240303091500"},
    {"-rw-r--r--    1 ftp         12 Jun 14 23:59 short.txt\n", kList, L"short.txt", 12,
     "20240614235900"},
    {"-rw-r--r-- 1 user group 77 2021-07-08 12:34 iso\n", kList, L"iso", 77, "20210708123400"},
    {"-rw-r--r-- 1 user group 8 31 Jan 10:00 european\n", kList, L"european", 8, "20240131100000"},
    {"-rw-r--r-- 1 u g 1 Dec 01 10:00 last year\n", kList, L"last year", 1, "20231201100000"},
    {"lrwxrwxrwx 1 root root 11 Jan 31 10:00 current -> release-1.2\n", kList, L"current", 11,
     "20240131100000"},
    {"crw-rw---- 1 root tty 4, 64 Jan 31 10:00 ttyS0\n", kList, L"ttyS0", 0, "20240131100000"},
    {kUnixFile + "  padded name\n", kList, L"  padded name", 1, "20240131100000"},
    {kUnixFile + "arrow -> in a file name\n", kList, L"arrow -> in a file name", 1,
     "20240131100000"},
    // DOS and IIS
    {"01-31-20  10:00AM       <DIR>          Program Files\r\n", kList, L"Program Files/", 0,
     "20200131100000"},
    {"12-05-2019  11:30PM              1234 readme.txt\r\n", kList, L"readme.txt", 1234,
     "20191205233000"},
    {"07-04-21  12:15PM         4,294,967,296 four gig\r\n", kList, L"four gig", 4294967296ULL,
     "20210704121500"},
    {"02-29-24  00:05                    17 24 hour\r\n", kList, L"24 hour", 17, "20240229000500"},
};

// Lines that are no entries, and hostile names that could climb or escape the folder.
const std::vector<DroppedLine> kDropped = {
    {"type=cdir;modify=20240101000000; .\r\n", kMlsd},
    {"type=pdir;modify=20240101000000; ..\r\n", kMlsd},
    {"type=dir; ../up\r\n", kMlsd},
    {"type=file; /etc/passwd\r\n", kMlsd},
    {"type=dir; \r\n", kMlsd},
    {"no facts\r\n", kMlsd},
    {"total 42\n", kList},
    {"drwxr-xr-x 2 u g 4096 Jan 31 10:00 .\n", kList},
    {"drwxr-xr-x 2 u g 4096 Jan 31 10:00 ..\n", kList},
    {"lrwxrwxrwx 1 u g 1 Jan 31 10:00 .. -> /\n", kList},
    {kUnixFile + "../escape\n", kList},
    {kUnixFile + "a/b\n", kList},
    {kUnixFile + "a\\b\n", kList},
    {kUnixFile + "\n", kList},
    {kUnixFile + std::string(MAX_PATH, 'x') + "\n", kList},
    {kUnixFile + "nul\0inside\n"s, kList},
    {"01-31-20  10:00AM       <DIR>          ..\r\n", kList},
    {"01-31-20  10:00AM       <DIR>          C:\\Windows\r\n", kList},
    {"garbage\n", kList},
};

}  // namespace

// Each line alone, and all lines of a style in one listing, where a dropped line
// must not take its neighbour with it.
TEST(FtpListParser, KeepsEntriesAndDropsTheRestLineByLineAndWithinOneListing) {
    for (const DroppedLine& row : kDropped)
        EXPECT_TRUE(Parse(row.first, row.second).empty()) << row.first;
    std::string listings[2];
    std::vector<std::wstring> expected[2], names[2];
    for (size_t i = 0; i < kKept.size(); ++i) {
        const KeptLine& row = kKept[i];
        SCOPED_TRACE(row.line);
        std::vector<FtpListEntry> entries = Parse(row.line, row.style);
        ASSERT_EQ(1u, entries.size());
        EXPECT_EQ(row.name, entries[0].name + (entries[0].isDirectory ? L"/" : L""));
        EXPECT_EQ(row.size, entries[0].size);
        EXPECT_EQ(row.time, TimeOf(entries[0]));
        if (i < kDropped.size())
            listings[static_cast<int>(kDropped[i].second)] += kDropped[i].first;
        listings[static_cast<int>(row.style)] += row.line;
        expected[static_cast<int>(row.style)].push_back(entries[0].name);
    }
    for (FtpListStyle style : {kMlsd, kList}) {
        int i = static_cast<int>(style);
        for (const FtpListEntry& entry : Parse(listings[i], style)) names[i].push_back(entry.name);
        EXPECT_EQ(expected[i], names[i]);
    }
}
