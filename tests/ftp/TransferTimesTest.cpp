#include <filesystem>

#include "ftp/TransferHarness.h"
#include "settings/FtpOptions.h"

namespace {

const uint64_t kSecond = 10000000ULL;
const uint64_t kHour = 3600 * kSecond;

uint64_t WrittenAt(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

// A tree whose files each have a time of their own; an empty one among them,
// whose time is set while the server keeps it at size 0.
struct TreeFile {
    std::wstring path;
    uint64_t size;
    uint64_t time;
};
const TreeFile kTree[] = {
    {L"tree\\a.txt", 1000, FileTimeOf(2015, 3, 1, 8, 15)},
    {L"tree\\empty.txt", 0, FileTimeOf(2019, 7, 4, 23, 59)},
    {L"tree\\sub\\c.bin", 70000, FileTimeOf(2001, 1, 2, 3, 4)},
    {L"tree\\sub\\deeper\\d.txt", 10, FileTimeOf(2023, 12, 31, 0, 1)},
};

class TransferTimesTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        app.options.SetExistingFileOption(existingOverwrite);
        app.options.SetTransferType(transferBinary);
    }

    static void ExpectTreeTimes(const std::wstring& base, const char* where) {
        for (const TreeFile& file : kTree) {
            std::wstring path = base + L"\\" + file.path;
            EXPECT_EQ(file.size, std::filesystem::file_size(path)) << where;
            EXPECT_NEAR(double(file.time), double(WrittenAt(path)), double(2 * kSecond))
                << where << ": " << std::filesystem::path(path).string();
        }
    }

    // Up to the server, then down into another local folder: every file keeps
    // its time both ways, and no question or failure comes up.
    void RoundTrip(FtpFS* through, const std::wstring& onServer) {
        recorder.events.clear();
        for (size_t i = 0; i < std::size(kTree); ++i) {
            ASSERT_TRUE(WriteTestFile(Local(kTree[i].path), kTree[i].size, unsigned(i)));
            ASSERT_TRUE(SetFileFacts(Local(kTree[i].path), kTree[i].time));
        }
        Transfer(true, {L"Dtree"}, L"", through);
        ExpectTreeTimes(onServer, "uploaded");
        const std::wstring back = through ? L"back-vsftpd" : L"back";
        ASSERT_TRUE(CreateDirectoryW(Local(back).c_str(), nullptr));
        Download({L"Dtree"}, back, through);
        ExpectTreeTimes(Local(back), "downloaded");
        EXPECT_EQ(0, recorder.Count(WM_APP_DOWNLOAD_ERROR) + recorder.Count(WM_APP_UPLOAD_ERROR));
    }

    // Half the files are newer here, half on the server, by an hour: each way
    // only the newer copies replace the others, so both sides end alike.
    void NewerOnEachSide(FtpFS* through, const std::wstring& onServer) {
        // Recent times: a LIST line gives their time of day, not only the day.
        uint64_t base = (WrittenAt(local.Path()) / kHour - 3) * kHour;
        recorder.events.clear();
        auto name = [](int i) { return L"n" + std::to_wstring(i) + L".txt"; };
        Names files;
        for (int i = 0; i < 4; ++i) {
            bool localNewer = i % 2 == 0;
            WriteBytes(Local(name(i)), "local");
            WriteBytes(onServer + L"\\" + name(i), "server");
            ASSERT_TRUE(SetFileFacts(Local(name(i)), base + (localNewer ? kHour : 0)));
            ASSERT_TRUE(SetFileFacts(onServer + L"\\" + name(i), base + (localNewer ? 0 : kHour)));
            files.push_back(L"F" + name(i));
        }
        app.options.SetExistingFileOption(existingIfNewer);
        Transfer(true, files, L"", through);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(i % 2 == 0 ? "local" : "server", ReadBytes(onServer + L"\\" + name(i))) << i;
        // The copies just sent have the same times here and there: only the others come down.
        Download(files, L"", through);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(i % 2 == 0 ? "local" : "server", ReadBytes(Local(name(i)))) << i;
        EXPECT_EQ(2, recorder.Count(WM_APP_DOWNLOAD_FILE));
        EXPECT_EQ(0, recorder.Count(WM_APP_DOWNLOAD_ERROR) + recorder.Count(WM_APP_UPLOAD_ERROR));
    }
};

// pyftpdlib sets times by MFMT and lists by MLSD; vsftpd sets them by MDTM
// with a time and lists by LIST, in UTC.
TEST_F(TransferTimesTest, TreesKeepTheirTimesAndOnlyNewerFilesReplaceOnPyftpdlibAndVsftpd) {
    RoundTrip(nullptr, remote);
    NewerOnEachSide(nullptr, remote);
    FtpFS vsftpd;
    std::wstring onServer;
    ASSERT_TRUE(ConnectVsftpd(vsftpd, onServer)) << kFixtureMissing;
    RoundTrip(&vsftpd, onServer);
    vsftpd.SetServerClock(ServerClock{true, 0});  // its LIST times are UTC
    NewerOnEachSide(&vsftpd, onServer);
}

// A refused time (550 for a file not there) leaves the command that works in
// use; MDTM reads the time back. Once a command worked, times go out with the
// next command, unanswered: a refusal is not told, and the replies stay in step.
TEST_F(TransferTimesTest, ARefusedTimeChangesNothingAndTheNextFileGetsItsTime) {
    const uint64_t time = FileTimeOf(2020, 2, 29, 13, 14), later = FileTimeOf(2021, 6, 1, 7, 8);
    WriteBytes(Remote(L"kept.bin"), "data");
    WriteBytes(Remote(L"next.bin"), "data");
    EXPECT_FALSE(engine.SetServerFileTime(L"missing.bin", time));
    EXPECT_TRUE(engine.SetServerFileTime(L"kept.bin", time));
    EXPECT_EQ(time, WrittenAt(Remote(L"kept.bin")));
    EXPECT_TRUE(engine.SetServerFileTime(L"missing.bin", later));
    EXPECT_TRUE(engine.SetServerFileTime(L"next.bin", later));
    EXPECT_FALSE(engine.SetServerFileTime(L"kept.bin", FileTimeOf(2999, 1, 1)));
    KnownTime read = engine.ServerFileTime(L"kept.bin");
    EXPECT_EQ(time, read.utc);
    EXPECT_TRUE(read.comparable);
    EXPECT_EQ(later, WrittenAt(Remote(L"next.bin")));
    EXPECT_FALSE(engine.ServerFileTime(L"missing.bin").comparable);
}

}  // namespace
