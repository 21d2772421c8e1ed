#include <gtest/gtest.h>

#include "ftp/FileTimes.h"
#include "support/FtpFixture.h"
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
        {{kNoon, true}, {kNoon + 3600 * kSecond, true}, false},
        {{kNoon, true}, {0, false}, true},                       // no time at the target
        {{0, false}, {kNoon, true}, true},                       // none at the source
        {{kNoon, false}, {kNoon + 3600 * kSecond, true}, true},  // a server clock of no known zone
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
    FILETIME asUtc, listed = ToFileTime(kNoon);
    ASSERT_TRUE(LocalFileTimeToFileTime(&listed, &asUtc));
    KnownTime local = ListedTimeOf(Listed(kNoon, kListedServerClock), none);
    EXPECT_EQ(StampOf(asUtc), local.utc);
    EXPECT_FALSE(local.comparable);
}

}  // namespace
