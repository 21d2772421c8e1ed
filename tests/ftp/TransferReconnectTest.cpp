#include "TransferHarness.h"
#include "support/RestartableServer.h"

namespace {

using TransferReconnectTest = TransferTest;

// The fixture drops the connection the first time a "drops-once" file moves,
// in the middle of its data. The run logs in again by itself, takes the file
// up where it stopped and goes on with the rest, asking nothing; every file
// arrives whole and once, with no part file left.
TEST_F(TransferReconnectTest, ADroppedConnectionComesBackAndTheCutFileGoesOn) {
    const uint64_t kCutSize = 4 << 20;  // "slow": some of it has arrived by the drop
    for (bool upload : {false, true}) {
        SCOPED_TRACE(upload ? "upload" : "download");
        std::wstring tree = upload ? L"up-tree" : L"down-tree";
        std::wstring cut = tree + (upload ? L"\\drops-once-up.bin" : L"\\slow-drops-once.bin");
        auto source = [&](const std::wstring& name) { return upload ? Local(name) : Remote(name); };
        auto target = [&](const std::wstring& name) { return upload ? Remote(name) : Local(name); };
        ASSERT_TRUE(WriteTestFile(source(tree + L"\\a-first.txt"), 1000, 1));
        ASSERT_TRUE(WriteTestFile(source(cut), upload ? 16 * kCutSize : kCutSize, 2));
        ASSERT_TRUE(WriteTestFile(source(tree + L"\\z-last.txt"), 2000, 3));
        recorder.events.clear();

        EXPECT_EQ(S_OK, Transfer(upload, {L"D" + tree}, local.Path()));

        EXPECT_EQ(0, recorder.Count(upload ? WM_APP_UPLOAD_ERROR : WM_APP_DOWNLOAD_ERROR));
        const TransferRecorder::Progress& end =
            recorder.LastProgress(upload ? WM_APP_UPLOAD_PROGRESS : WM_APP_DOWNLOAD_PROGRESS);
        EXPECT_EQ(3u, end.filesDone);
        EXPECT_EQ(0u, end.failures.files + end.failures.folders + end.failures.runFailed);
        for (const wchar_t* name : {L"\\a-first.txt", L"\\z-last.txt"})
            EXPECT_EQ(FileChecksum(source(tree + name)), FileChecksum(target(tree + name))) << name;
        EXPECT_EQ(FileChecksum(source(cut)), FileChecksum(target(cut)));
        EXPECT_EQ(3u, FilesBelow(target(tree)).size());  // no part file beside them
        // Bytes that arrived before the drop were not asked for again.
        EXPECT_TRUE(upload || end.totalBytes == kCutSize + 3000) << end.totalBytes;
        EXPECT_EQ(startDir, CurrentDir());
    }
}

// The server is restarted the moment half of a 300-file tree has come down:
// the run logs in again, goes on where it was and ends with every file whole,
// each once, and no part file left.
TEST_F(TransferReconnectTest, ATreeComesDownWholeThoughTheServerRestartsHalfway) {
    const int kFiles = 300;
    RestartableServer restartable;
    ASSERT_TRUE(restartable.Load()) << "the restartable fixture server is not running";
    std::wstring source = WinePath(restartable.server.root) + L"\\" + TestFolderName() + L"\\tree";
    auto name = [](int i) { return L"sub" + std::to_wstring(i % 3) + L"\\f" + std::to_wstring(i); };
    for (int i = 0; i < kFiles; ++i)
        ASSERT_TRUE(WriteTestFile(source + L"\\" + name(i), 500 + i, static_cast<unsigned>(i)));
    FtpFS there;
    ASSERT_EQ(S_OK, LoginInFolder(there, restartable.server.port));
    int generation = restartable.Generation();
    ASSERT_TRUE(restartable.RestartAfterDownloads(kFiles / 2));

    Download({L"Dtree"}, L"", &there);

    EXPECT_TRUE(restartable.WaitUntilRunning(generation + 1));  // it did restart
    EXPECT_EQ(0, recorder.Count(WM_APP_DOWNLOAD_ERROR));
    const TransferRecorder::Progress& end = recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS);
    EXPECT_EQ(static_cast<DWORD>(kFiles), end.filesDone);
    EXPECT_EQ(0u, end.failures.files + end.failures.folders + end.failures.runFailed);
    EXPECT_EQ(static_cast<size_t>(kFiles), FilesBelow(Local(L"tree")).size());
    for (int i = 0; i < kFiles; ++i)
        ASSERT_EQ(FileChecksum(source + L"\\" + name(i)), FileChecksum(Local(L"tree\\" + name(i))))
            << i;
}

}  // namespace
