#include <gtest/gtest.h>

#include <string>

#include "wininet/FtpListParser.h"
#include "wininet/FtpTime.h"

namespace {

// What a time read from a server comes to, written back as the commands write it.
std::string ReadBack(const std::string& text) {
    FILETIME time;
    return ParseFtpTime(text, time) ? FormatFtpTime(time) : "none";
}

TEST(FtpTime, TimesOfRepliesAndFactsAreReadOrRefusedWhole) {
    // Fractions are dropped, a leap second is the one before, and times before
    // any local file system's or past 2107, or dates that do not exist, are refused.
    // clang-format off
    const std::pair<std::string, std::string> rows[] = {
        {"20240131103005", "20240131103005"}, {"20240131103005.123", "20240131103005"},
        {"19800101000000", "19800101000000"}, {"21071231235959", "21071231235959"},
        {"20161231235960", "20161231235959"}, {"16010101000000", "none"},
        {"29990101000000", "none"},           {"20241301000000", "none"},
        {"20240230000000", "none"},           {"20240131250000", "none"},
        {"20240131103005.", "none"},          {"2024-01-31 10:30", "none"},
        {"File modification time set.", "none"},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(row.second, ReadBack(row.first)) << row.first;
}

// How each listing style's time is to be read travels with the entry.
TEST(FtpTime, EntriesSayHowTheirTimeIsToBeRead) {
    struct Row {
        std::string line;
        bool mlsd;
        bool hasTime;
        DWORD kind;
    };
    const Row rows[] = {
        {"type=file;size=1;modify=20240131103005; a", true, true, kListedUtc},
        {"type=file;size=1;modify=16010101000000; a", true, false, kListedUtc},
        {"type=file;size=1;modify=29991231000000; a", true, false, kListedUtc},
        {"type=file;size=1;modify=yesterday; a", true, false, kListedUtc},
        {"-rw-r--r-- 1 u g 1 Jan 31 10:00 a", false, true, kListedServerClock},
        {"-rw-r--r-- 1 u g 1 Jan 31  2019 a", false, true, kListedDayOnly},
        {"-rw-r--r-- 1 u g 1 Jan 31  1975 a", false, false, kListedDayOnly},
        {"-rw-r--r-- 1 u g 1 2019-01-31 10:00 a", false, true, kListedServerClock},
        {"01-31-19  10:00AM                    1 a", false, true, kListedServerClock},
    };
    for (const Row& row : rows) {
        FtpListEntry entry;
        bool parsed = row.mlsd
                          ? ParseMlsxLine(row.line, entry)
                          : ParseListLine(row.line, SYSTEMTIME{2024, 6, 6, 15, 0, 0, 0, 0}, entry);
        ASSERT_TRUE(parsed) << row.line;
        EXPECT_EQ(row.hasTime, entry.hasTime) << row.line;
        EXPECT_EQ(row.kind, entry.timeKind) << row.line;
    }
}

}  // namespace
