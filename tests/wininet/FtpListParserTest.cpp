#include <gtest/gtest.h>

#include "wininet/FtpListParser.h"

namespace {

SYSTEMTIME Today() {
    SYSTEMTIME now = {};
    now.wYear = 2024;
    now.wMonth = 6;
    now.wDay = 15;
    return now;
}

std::vector<FtpListEntry> ParseLines(const std::string& lines, FtpListStyle style) {
    return ParseListing(lines, style, Today());
}

SYSTEMTIME TimeOf(const FtpListEntry& entry) {
    SYSTEMTIME time = {};
    FileTimeToSystemTime(&entry.lastWrite, &time);
    return time;
}

}  // namespace

TEST(FtpListParser, MlsdFactsGiveTypeSizeAndTime) {
    auto entries = ParseLines(
        "type=cdir;modify=20240101000000; .\r\n"
        "type=pdir;modify=20240101000000; ..\r\n"
        "type=file;size=5120;modify=20240131103005;perm=r; report.txt\r\n"
        "Type=DIR;Modify=20230202020202.123; My Folder\r\n"
        "type=file;size=6442450944; big.iso\r\n"
        "type=OS.unix=slink:/etc;size=4; link\r\n"
        "type=file;size=1;  two leading blanks\r\n"
        "type=file;size=99999999999999999999999; too big to count\r\n",
        FtpListStyle::kMlsd);
    ASSERT_EQ(6u, entries.size());
    EXPECT_EQ(L"report.txt", entries[0].name);
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(5120u, entries[0].size);
    ASSERT_TRUE(entries[0].hasTime);
    SYSTEMTIME time = TimeOf(entries[0]);
    EXPECT_EQ(2024, time.wYear);
    EXPECT_EQ(31, time.wDay);
    EXPECT_EQ(10, time.wHour);
    EXPECT_EQ(5, time.wSecond);
    EXPECT_EQ(L"My Folder", entries[1].name);
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_EQ(6442450944ULL, entries[2].size);
    // A link is a file unless the server says it is a folder, so walks cannot loop through it.
    EXPECT_EQ(L"link", entries[3].name);
    EXPECT_FALSE(entries[3].isDirectory);
    EXPECT_EQ(L" two leading blanks", entries[4].name);
    EXPECT_EQ(0u, entries[5].size);  // unknown rather than wrapped
}

TEST(FtpListParser, UnixListingsOfSeveralServers) {
    auto entries = ParseLines(
        // pyftpdlib
        "-rw-r--r--   1 owner    group        5121 Jan 31 10:00 name with  blanks.txt\r\n"
        "drwxr-xr-x   2 owner    group        4096 Dec 24  2019 old folder\r\n"
        // vsftpd (numeric owners)
        "-rw-------    1 1000     1000      1048576 Mar 03 09:15 data.bin\r\n"
        // pure-ftpd style, no group column
        "-rw-r--r--    1 ftp         12 Jun 14 23:59 short.txt\n"
        // long-iso dates
        "-rw-r--r-- 1 user group 77 2021-07-08 12:34 iso dated\n"
        // day before month
        "-rw-r--r-- 1 user group 8 31 Jan 10:00 european\n"
        "total 42\n",
        FtpListStyle::kList);
    ASSERT_EQ(6u, entries.size());
    EXPECT_EQ(L"name with  blanks.txt", entries[0].name);
    EXPECT_EQ(5121u, entries[0].size);
    EXPECT_EQ(L"old folder", entries[1].name);
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_EQ(2019, TimeOf(entries[1]).wYear);
    EXPECT_EQ(L"data.bin", entries[2].name);
    EXPECT_EQ(1048576u, entries[2].size);
    EXPECT_EQ(L"short.txt", entries[3].name);
    EXPECT_EQ(12u, entries[3].size);
    EXPECT_EQ(L"iso dated", entries[4].name);
    EXPECT_EQ(7, TimeOf(entries[4]).wMonth);
    EXPECT_EQ(L"european", entries[5].name);
    EXPECT_EQ(8u, entries[5].size);
}

TEST(FtpListParser, DatesWithoutYearAreNeverInTheFuture) {
    auto entries = ParseLines(
        "-rw-r--r-- 1 u g 1 Jun 14 10:00 this year\n"
        "-rw-r--r-- 1 u g 1 Dec 01 10:00 last year\n",
        FtpListStyle::kList);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(2024, TimeOf(entries[0]).wYear);
    EXPECT_EQ(2023, TimeOf(entries[1]).wYear);
}

TEST(FtpListParser, UnixLinksDevicesAndLeadingBlanks) {
    auto entries = ParseLines(
        "lrwxrwxrwx 1 root root 11 Jan 31 10:00 current -> release-1.2\n"
        "crw-rw---- 1 root tty 4, 64 Jan 31 10:00 ttyS0\n"
        "-rw-r--r-- 1 u g 3 Jan 31 10:00   padded name\n"
        "-rw-r--r-- 1 u g 3 Jan 31 10:00 arrow -> in a file name\n",
        FtpListStyle::kList);
    ASSERT_EQ(4u, entries.size());
    EXPECT_EQ(L"current", entries[0].name);
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(L"ttyS0", entries[1].name);
    EXPECT_EQ(0u, entries[1].size);
    EXPECT_EQ(L"  padded name", entries[2].name);
    EXPECT_EQ(L"arrow -> in a file name", entries[3].name);
}

TEST(FtpListParser, DosAndIisListings) {
    auto entries = ParseLines(
        "01-31-20  10:00AM       <DIR>          Program Files\r\n"
        "12-05-2019  11:30PM              1234 readme.txt\r\n"
        "07-04-21  12:15PM         4,294,967,296 four gig.bin\r\n"
        "02-29-24  00:05                    17 twenty-four hour.log\r\n",
        FtpListStyle::kList);
    ASSERT_EQ(4u, entries.size());
    EXPECT_EQ(L"Program Files", entries[0].name);
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_EQ(2020, TimeOf(entries[0]).wYear);
    EXPECT_EQ(L"readme.txt", entries[1].name);
    EXPECT_EQ(1234u, entries[1].size);
    EXPECT_EQ(23, TimeOf(entries[1]).wHour);
    EXPECT_EQ(4294967296ULL, entries[2].size);
    EXPECT_EQ(12, TimeOf(entries[2]).wHour);
    EXPECT_EQ(L"twenty-four hour.log", entries[3].name);
}

TEST(FtpListParser, Utf8NamesAndLegacyBytes) {
    auto entries = ParseLines(
        "type=file;size=1; Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC.txt\r\n"
        "type=file;size=1; \xE6\x97\xA5\xE6\x9C\xAC\r\n"
        "type=file;size=1; caf\xE9\r\n",
        FtpListStyle::kMlsd);
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ(L"Gr\u00FC\u00DFe \u20AC.txt", entries[0].name);
    EXPECT_EQ(L"\u65E5\u672C", entries[1].name);
    // Not UTF-8: each byte is taken as one Latin-1 letter rather than dropped.
    EXPECT_EQ(L"caf\u00E9", entries[2].name);
}

TEST(FtpListParser, HostileNamesAreDropped) {
    std::string tooLong(MAX_PATH, 'x');
    const char nulLine[] = "-rw-r--r-- 1 u g 1 Jan 31 10:00 nul\0inside\n";
    std::string withNul(nulLine, sizeof(nulLine) - 1);
    auto entries = ParseLines(
        "drwxr-xr-x 2 u g 4096 Jan 31 10:00 .\n"
        "drwxr-xr-x 2 u g 4096 Jan 31 10:00 ..\n"
        "-rw-r--r-- 1 u g 1 Jan 31 10:00 ../escape\n"
        "-rw-r--r-- 1 u g 1 Jan 31 10:00 a/b\n"
        "-rw-r--r-- 1 u g 1 Jan 31 10:00 a\\b\n"
        "-rw-r--r-- 1 u g 1 Jan 31 10:00 \n"
        "-rw-r--r-- 1 u g 1 Jan 31 10:00 " +
            tooLong + "\n" + withNul +
            "lrwxrwxrwx 1 u g 1 Jan 31 10:00 .. -> /\n"
            "01-31-20  10:00AM       <DIR>          ..\r\n"
            "01-31-20  10:00AM       <DIR>          C:\\Windows\r\n"
            "garbage\n"
            "-rw-r--r-- 1 u g 1 Jan 31 10:00 kept\n",
        FtpListStyle::kList);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(L"kept", entries[0].name);

    auto mlsd = ParseLines(
        "type=dir; ../up\r\ntype=file; /etc/passwd\r\ntype=dir; \r\nno facts\r\n"
        "type=file;size=1; " +
            std::string(MAX_PATH - 1, 'y') + "\r\n",
        FtpListStyle::kMlsd);
    ASSERT_EQ(1u, mlsd.size());
    EXPECT_EQ(MAX_PATH - 1u, mlsd[0].name.size());
}
