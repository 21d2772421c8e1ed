#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ftp/FileTimes.h"
#include "support/FtpFixture.h"
#include "support/ScratchFolder.h"
#include "wininet/FtpTime.h"

namespace {

const FileStamp kSecond = 10000000ULL;
const FileStamp kNoon = FileTimeOf(2024, 1, 31, 12, 0);

TEST(FileTimes, OnlyASourceNewerByMoreThanTwoSecondsIsSkippedNeverAnUnknownOne) {
    struct Row {
        KnownTime source, target;
        bool newer;
    };
    const Row rows[] = {
        {{kNoon + 3 * kSecond, true}, {kNoon, true}, true},
        {{kNoon + 2 * kSecond, true}, {kNoon, true}, false},  // FAT's 2-second steps
        {{kNoon, true}, {kNoon, true}, false},
        {{kNoon, true}, {kNoon + 3600 * kSecond, true}, false},
        {{kNoon, true}, {0, false}, true},                       // no time at the target
        {{0, false}, {kNoon, true}, true},                       // none at the source
        {{kNoon, false}, {kNoon + 3600 * kSecond, true}, true},  // a server clock of no known zone
        {{kNoon + 3600 * kSecond, true}, {kNoon, false}, true},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        EXPECT_EQ(rows[i].newer, SourceIsNewer(rows[i].source, rows[i].target)) << "row " << i;
}

WIN32_FIND_DATAW Listed(FileStamp time, DWORD kind) {
    WIN32_FIND_DATAW data = {};
    data.ftLastWriteTime = ToFileTime(time);
    data.dwReserved0 = kind;
    return data;
}

TEST(FileTimes, ListedTimesAreReadByTheirKindAndTheServersOffset) {
    const ServerClock none, utc{true, 0}, east{true, 2}, west{true, -5};
    struct Row {
        FileStamp listed;
        DWORD kind;
        ServerClock clock;
        KnownTime expected;
    };
    const Row rows[] = {
        {kNoon, kListedUtc, none, {kNoon, true}},
        {kNoon, kListedUtc, east, {kNoon, true}},  // MLSD needs no offset
        {kNoon, kListedServerClock, utc, {kNoon, true}},
        {kNoon, kListedServerClock, east, {kNoon - 2 * 3600 * kSecond, true}},
        {kNoon, kListedServerClock, west, {kNoon + 5 * 3600 * kSecond, true}},
        {kNoon, kListedDayOnly, utc, {0, false}},
        {0, kListedUtc, utc, {0, false}},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        KnownTime time = ListedTimeOf(Listed(rows[i].listed, rows[i].kind), rows[i].clock);
        EXPECT_EQ(rows[i].expected.utc, time.utc) << "row " << i;
        EXPECT_EQ(rows[i].expected.comparable, time.comparable) << "row " << i;
    }
    // Without an offset the server's clock reads as the user's own, and is never compared.
    FILETIME utc;
    FILETIME listed = ToFileTime(kNoon);
    ASSERT_TRUE(LocalFileTimeToFileTime(&listed, &utc));
    KnownTime local = ListedTimeOf(Listed(kNoon, kListedServerClock), none);
    EXPECT_EQ(StampOf(utc), local.utc);
    EXPECT_FALSE(local.comparable);
}

// The time is set after the last buffered write, which would otherwise change it.
TEST(FileTimes, AClosedFileKeepsTheStampEvenWithUnflushedData) {
    ScratchFolder folder;
    std::wstring path = folder.Join(L"stamped.bin");
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, file);
    std::string data(100000, 'x');
    fwrite(data.data(), 1, data.size(), file);
    ASSERT_TRUE(CloseLocalFile(file, kNoon));
    KnownTime time = LocalTimeOf(path.c_str());
    EXPECT_EQ(kNoon, time.utc);
    EXPECT_TRUE(time.comparable);
    EXPECT_EQ(data.size(), std::filesystem::file_size(path));
    EXPECT_FALSE(LocalTimeOf(folder.Join(L"missing").c_str()).comparable);
}

}  // namespace
