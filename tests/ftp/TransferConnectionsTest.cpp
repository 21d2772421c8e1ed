#include <algorithm>

#include "TransferHarness.h"

namespace {

// A run's extra connections against servers that allow fewer or drop them,
// and a file refused on one connection while the others go on: every run
// ends with exact counts, every file identical or reported by name.
class ConnectionsTest : public TransferTest {
  protected:
    // Three folders of six files, 0 to 25 KiB, under "tree": the relative paths.
    Names MakeTree() {
        Names files;
        for (const wchar_t* folder : {L"a", L"b", L"c"})
            for (unsigned i = 0; i < 6; ++i) {
                std::wstring file = std::wstring(L"tree\\") + folder + L"\\f" + std::to_wstring(i);
                EXPECT_TRUE(WriteTestFile(Local(file), i * 5000, i + folder[0]));
                files.push_back(file);
            }
        return files;
    }

    void LogInTo(Fixture which, FtpFS& ftp) {
        FixtureServer fixture;
        ASSERT_TRUE(fixture.Load(which)) << kFixtureMissing;
        ASSERT_EQ(S_OK, LoginInFolder(ftp, fixture.port));
    }

    // The most connections any report of the run saw at work.
    DWORD MostConnections(UINT message) const {
        DWORD most = 0;
        for (const TransferRecorder::Event& event : recorder.events)
            if (event.message == message) most = std::max(most, event.progress.connections);
        return most;
    }
};

TEST_F(ConnectionsTest, ServersThatRefuseOrDropExtraConnectionsStillGetEveryFile) {
    app.options.SetConnections(10);
    app.options.SetExistingFileOption(existingOverwrite);
    app.options.SetUsePassive(true);
    const Names files = MakeTree();
    const std::vector<ULONGLONG> counts = {18, 4, 3 * 5000 * (1 + 2 + 3 + 4 + 5)};
    struct Case {
        Fixture server;
        DWORD mostConnections;
    } cases[] = {{Fixture::kTwoLogins, 2}, {Fixture::kDropsExtraLogins, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.server));
        FtpFS through;
        LogInTo(c.server, through);
        // Older copies on the server: a file cut before it was sent again
        // must not be continued from one.
        for (const std::wstring& file : files) WriteBytes(Remote(file), "old");
        recorder.events.clear();
        EXPECT_EQ(S_OK, Transfer(true, {L"Dtree"}, L"", &through));
        for (const std::wstring& file : files)
            EXPECT_EQ(FileChecksum(Local(file)), FileChecksum(Remote(file))) << file;
        EXPECT_EQ(counts, recorder.LastProgress(WM_APP_UPLOAD_PROGRESS).Counts());
        EXPECT_EQ(0u, recorder.LastProgress(WM_APP_UPLOAD_PROGRESS).failures.files);
        EXPECT_LE(MostConnections(WM_APP_UPLOAD_PROGRESS), c.mostConnections);

        recorder.events.clear();
        local.MakeFolder(L"back");
        EXPECT_EQ(S_OK, Download({L"Dtree"}, L"back", &through));
        for (const std::wstring& file : files)
            EXPECT_EQ(FileChecksum(Remote(file)), FileChecksum(Local(L"back\\" + file))) << file;
        EXPECT_EQ(counts, recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).Counts());
        EXPECT_TRUE(recorder.TextsOf(WM_APP_DOWNLOAD_ERROR).empty());
        EXPECT_EQ(1, recorder.Count(WM_APP_DOWNLOAD_ENDED));
    }
}

// Extra logins the server never answers hold nothing up: the walk's own
// connection moves the files, and the run ends (at its end, or at a cancel
// midway) without waiting for them. The wait bound is 30 s here, so a run that
// waited for them could not end within the fault detector's 10 s.
TEST_F(ConnectionsTest, LoginsTheServerNeverAnswersAreCutWhenTheRunEnds) {
    DWORD idleMs = 30000, defaultMs = 10000;
    ASSERT_TRUE(InternetSetOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &idleMs, 4));
    app.options.SetConnections(4);
    app.options.SetUsePassive(true);
    const Names files = MakeTree();
    for (const std::wstring& file : files) WriteBytes(Remote(file), ReadBytes(Local(file)));
    // The server sends files named "slow" at about 1.5 MB/s: time to cancel
    // midway. A second file, so that the run asks for extra connections.
    ASSERT_TRUE(WriteTestFile(Remote(L"slow\\slow.bin"), 8 << 20, 1));
    WriteBytes(Remote(L"slow\\second.txt"), "second");
    FtpFS through;
    LogInTo(Fixture::kStallsExtraLogins, through);
    for (bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "to the end");
        local.MakeFolder(cancel ? L"cut" : L"whole");
        recorder.events.clear();
        DWORD start = GetTickCount();
        ASSERT_EQ(S_OK, Start(false, {cancel ? L"Dslow" : L"Dtree"},
                              Local(cancel ? L"cut" : L"whole"), &through));
        if (cancel) {
            ASSERT_TRUE(PumpUntil(
                [this] { return recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).fileBytes > 0; }));
            EXPECT_EQ(S_OK, through.CancelDownload());
        }
        EXPECT_TRUE(PumpUntil([&through] { return !through.IsBusy(); }));
        EXPECT_LT(GetTickCount() - start, 10000u);
        EXPECT_EQ(1, recorder.Count(WM_APP_DOWNLOAD_ENDED));
        EXPECT_TRUE(cancel || recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).filesDone == 18u);
    }
    EXPECT_TRUE(InternetSetOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &defaultMs, 4));
}

// Once a run's files are all known, it logs in no more extra connections than
// its other files could use: none for one file (selected, or the only one in a
// folder, either way), one for two.
TEST_F(ConnectionsTest, ExtraLoginsAreNoMoreThanTheOtherFilesCouldUse) {
    app.options.SetConnections(4);
    app.options.SetExistingFileOption(existingOverwrite);
    app.options.SetUsePassive(true);
    WriteBytes(Remote(L"one.txt"), "one");
    WriteBytes(Remote(L"single\\only.txt"), "only");
    WriteBytes(Remote(L"pair\\a.txt"), "a");
    WriteBytes(Remote(L"pair\\b.txt"), "b");
    WriteBytes(Local(L"up.txt"), "up");
    FtpFS through;
    LogInTo(Fixture::kCounting, through);
    struct Case {
        bool upload;
        const wchar_t* item;
        long extraLogins;
    } cases[] = {{false, L"Fone.txt", 0},
                 {false, L"Dsingle", 0},
                 {true, L"Fup.txt", 0},
                 {false, L"Dpair", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        size_t before = CountingServerLog().size();
        EXPECT_EQ(S_OK, Transfer(c.upload, {c.item}, c.upload ? L"" : local.Path(), &through));
        std::vector<LoggedCommand> log = CountingServerLog();
        EXPECT_EQ(c.extraLogins,
                  std::count_if(log.begin() + before, log.end(), [](const LoggedCommand& command) {
                      return command.verb == "USER";
                  }));
    }
    EXPECT_EQ("b", ReadBytes(Local(L"pair\\b.txt")));
    EXPECT_EQ("up", ReadBytes(Remote(L"up.txt")));
}

// One refused file is asked about once and named at the end; the other files
// came on several connections at once (a file the server sends slowly keeps
// the run going while they log in, however busy the machine).
TEST_F(ConnectionsTest, ARefusedFileFailsAloneWhileTheOthersComeOnSeveralConnections) {
    Names files = MakeTree();
    ASSERT_TRUE(WriteTestFile(Local(L"tree\\a\\slow.bin"), 1 << 20, 7));
    files.push_back(L"tree\\a\\slow.bin");
    WriteBytes(Remote(L"tree\\b\\unreadable.txt"), "secret");
    for (const std::wstring& file : files) WriteBytes(Remote(file), ReadBytes(Local(file)));
    recorder.answers = {answerIgnore};
    local.MakeFolder(L"back");
    EXPECT_EQ(S_OK, Download({L"Dtree"}, L"back"));
    for (const std::wstring& file : files)
        EXPECT_EQ(FileChecksum(Remote(file)), FileChecksum(Local(L"back\\" + file))) << file;
    const TransferRecorder::Progress& last = recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS);
    EXPECT_EQ(19u, last.filesDone);
    EXPECT_EQ(1u, last.failures.files);
    EXPECT_EQ(1u, recorder.TextsOf(WM_APP_DOWNLOAD_ERROR).size());
    Names failed = recorder.TextsOf(WM_APP_DOWNLOAD_ITEM_FAILED);
    ASSERT_EQ(1u, failed.size());
    EXPECT_NE(std::wstring::npos, failed[0].find(L"unreadable.txt"));
    EXPECT_GT(MostConnections(WM_APP_DOWNLOAD_PROGRESS), 1u);
    EXPECT_FALSE(FtpFS::LocalFileExists(Local(L"back\\tree\\b\\unreadable.txt").c_str()));
}

// With two connections the walk sends its first slow file itself while the
// other logs in, which then takes the next; the last waits for no one: the
// walk has nothing left to list and takes it. The file bar shows the file the
// panel names, also when another connection moves it.
TEST_F(ConnectionsTest, QueuedFilesGoToTheFirstFreeConnectionAndTheFileBarFollowsThem) {
    app.options.SetConnections(2);
    const Names names = {L"slow1.bin", L"slow2.bin", L"slow3.bin"};
    for (const std::wstring& name : names)
        ASSERT_TRUE(WriteTestFile(Remote(name), 1 << 20, name[4]));
    EXPECT_EQ(S_OK, Download({L"F" + names[0], L"F" + names[1], L"F" + names[2]}));
    std::wstring named;
    int followed = 0, twoAfterTheFirst = 0;
    for (const TransferRecorder::Event& event : recorder.events) {
        if (event.message == WM_APP_DOWNLOAD_FILE) named = event.name;
        if (event.message != WM_APP_DOWNLOAD_PROGRESS || event.progress.filesDone == 0) continue;
        const auto& lines = event.progress.lineBytes;
        twoAfterTheFirst += lines.size() - lines.count(L"") >= 2;
        auto line = lines.find(named);
        if (line == lines.end()) continue;
        ++followed;
        EXPECT_EQ(line->second, event.progress.fileBytes) << named;
        EXPECT_EQ(1u << 20, event.progress.fileSize) << named;
    }
    EXPECT_GT(followed, 0);
    EXPECT_GT(twoAfterTheFirst, 0);
    EXPECT_EQ(1u << 20, recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).fileBytes);
    EXPECT_EQ(3u, recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).filesDone);
    for (const std::wstring& name : names)
        EXPECT_EQ(FileChecksum(Remote(name)), FileChecksum(Local(name))) << name;
}

}  // namespace
