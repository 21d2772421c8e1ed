#include <algorithm>
#include <filesystem>

#include "TransferHarness.h"
#include "ftp/TransferWalk.h"
#include "resources/resource.h"

namespace {

using DownloadWorkerTest = TransferTest;
using UploadWorkerTest = TransferTest;
using TransferWorkerTest = TransferTest;  // both ways

// Both ways, against the target folder's files: "old" stands where "new one"
// would go, so a resume keeps the three bytes there and adds the rest.
TEST_F(TransferWorkerTest, ExistingFilesFollowTheRuleOrThePromptAndItsBox) {
    struct Case {
        DWORD code;
        std::vector<int> clicks;
        std::string result;
        int prompts;
        DWORD storedAfter;
        int opened;  // none for a skipped file
    };
    const int overwrite = IDC_FILE_EXISTS_OVERWRITE, skip = IDC_FILE_EXISTS_SKIP,
              dontAsk = IDC_FILE_EXISTS_DONT_ASK;
    for (bool upload : {false, true}) {
        for (const Case& round : {
                 Case{existingSkip, {}, "old", 0, existingSkip, 0},
                 Case{existingOverwrite, {}, "new one", 0, existingOverwrite, 2},
                 Case{existingResume, {}, "old one", 0, existingResume, 2},
                 // The prompt's answer is kept while its box stays ticked.
                 Case{existingPrompt, {overwrite}, "new one", 1, existingOverwrite, 2},
                 Case{existingPrompt, {IDC_FILE_EXISTS_RESUME}, "old one", 1, existingResume, 2},
                 Case{existingPrompt, {dontAsk, skip}, "old", 2, existingPrompt, 0},
                 // Sources written just before their targets are not newer: both are skipped.
                 Case{existingIfNewer, {}, "old", 0, existingIfNewer, 0},
                 Case{existingPrompt, {IDC_FILE_EXISTS_IF_NEWER}, "old", 1, existingIfNewer, 0},
             }) {
            std::wstring folder = std::wstring(upload ? L"up" : L"down") + L"-" +
                                  std::to_wstring(round.code) + L"-" +
                                  std::to_wstring(round.clicks.empty() ? 0 : round.clicks[0]);
            SCOPED_TRACE(folder);
            recorder.events.clear();
            auto at = [&](bool remote, const wchar_t* name) {
                return remote ? Remote(folder + L"\\" + name) : Local(folder + L"\\" + name);
            };
            WriteBytes(at(!upload, L"one"), "new one");
            WriteBytes(at(!upload, L"two"), "new two");
            // Local names that differ in letter case only still name the same file.
            WriteBytes(at(upload, upload ? L"one" : L"ONE"), "old");
            WriteBytes(at(upload, L"two"), "old");
            app.options.SetExistingFileOption(round.code);
            std::wstring shown;
            int asked = prompts.Count(L"File exist");
            prompts.On(L"File exist", [&shown, &round](HWND prompt) {
                if (shown.empty()) shown = ItemText(prompt, IDC_FILE_EXISTS_MESSAGE);
                Pressing(round.clicks)(prompt);
            });
            Transfer(upload, {L"D" + folder}, local.Path());

            EXPECT_EQ(round.result, ReadBytes(at(upload, L"one")));
            // A local "ONE" is replaced, never joined by a second file.
            EXPECT_EQ(2u, FilesBelow(Local(folder)).size());
            EXPECT_EQ(round.prompts, prompts.Count(L"File exist") - asked);
            EXPECT_EQ(0, recorder.Count(upload ? WM_APP_UPLOAD_ERROR : WM_APP_DOWNLOAD_ERROR));
            EXPECT_EQ(round.storedAfter, app.options.GetExistingFileOption());
            EXPECT_EQ(round.opened,
                      recorder.Count(upload ? WM_APP_UPLOAD_FILE : WM_APP_DOWNLOAD_FILE));
            // Remote files by name, local ones by path; either may come first.
            std::wstring file = L"File " + (upload ? L"" : Local(folder + L"\\"));
            if (round.code != existingPrompt) continue;
            EXPECT_TRUE(shown == file + L"one exists.   What would you like to do?" ||
                        shown == file + L"two exists.   What would you like to do?")
                << shown;
        }
    }
}

// The run decides by the copy of the options it took at its start: a "Don't
// ask again" answer, shown and kept on this (the window's) thread before the
// worker goes on, holds for the rest of the run, and an edit of the options
// meanwhile (as the Options dialog makes) neither reaches the run nor is undone by it.
TEST_F(DownloadWorkerTest, AKeptAnswerReachesTheOptionsOnTheWindowsThreadAndTheRunKeepsItsCopy) {
    for (const wchar_t* name : {L"one", L"two"}) {
        WriteBytes(Remote(name), "new");
        WriteBytes(Local(name), "old");
    }
    app.options.SetExistingFileOption(existingPrompt);
    DWORD promptThread = 0;
    prompts.On(L"File exist", [&promptThread](HWND prompt) {
        promptThread = GetWindowThreadProcessId(prompt, nullptr);
        Click(prompt, IDC_FILE_EXISTS_OVERWRITE);  // "Don't ask again" is ticked
    });
    DWORD keptBeforeWorkerWentOn = existingPrompt;
    recorder.onProgress = [&](const auto&) {
        if (prompts.Count(L"File exist") == 0 || keptBeforeWorkerWentOn != existingPrompt) return;
        keptBeforeWorkerWentOn = app.options.GetExistingFileOption();
        app.options.SetExistingFileOption(existingSkip);
    };
    Download({L"Fone", L"Ftwo"});
    EXPECT_EQ(GetCurrentThreadId(), promptThread);
    EXPECT_EQ(1, prompts.Count(L"File exist"));
    EXPECT_EQ(DWORD(existingOverwrite), keptBeforeWorkerWentOn);
    EXPECT_EQ("new", ReadBytes(Local(L"one")));
    EXPECT_EQ("new", ReadBytes(Local(L"two")));
    EXPECT_EQ(DWORD(existingSkip), app.options.GetExistingFileOption());
}

// A cancel while the worker waits on a server that drips its reply a byte at
// a time (the reply bound is 30 s) comes back before the worker has ended:
// starting asks the server nothing on this thread, and the cancel closes elsewhere.
TEST_F(DownloadWorkerTest, ACancelComesBackAtOnceWhileTheServerDrips) {
    FtpFS dripping;
    ASSERT_EQ(S_OK, LoginInFolder(dripping, FixturePort("CORVANE_FTP_DRIPPING_PORT")));
    WriteBytes(Remote(L"file"), "content");
    DWORD start = GetTickCount();
    ASSERT_EQ(S_OK, Start(false, {L"Ffile"}, local.Path(), &dripping));
    // The worker asks for its start folder next: a reply that drips.
    ASSERT_TRUE(PumpUntil([this] { return recorder.Count(WM_APP_DOWNLOAD_STARTED) == 1; }));
    EXPECT_EQ(S_OK, dripping.CancelDownload());
    EXPECT_TRUE(dripping.IsBusy());
    EXPECT_EQ(0, recorder.Count(WM_APP_DOWNLOAD_ENDED));
    EXPECT_LT(GetTickCount() - start, 2000u);  // a fault detector, far below the bound
    EXPECT_TRUE(PumpUntil([&dripping] { return !dripping.IsBusy(); }));
    EXPECT_EQ(1, recorder.Count(WM_APP_DOWNLOAD_ENDED));
    EXPECT_EQ(Names{}, FilesBelow(local.Path()));
}

// A resumed binary file keeps the bytes there; an ASCII one starts over.
TEST_F(DownloadWorkerTest, TransferTypePromptGivesBinaryOrRealAsciiAndOnlyBinaryResumes) {
    WriteBytes(Remote(L"lines.txt"), "one\ntwo\n");
    app.options.SetExistingFileOption(existingResume);
    for (auto [clicks, result, storedAfter] :
         {std::tuple<std::vector<int>, std::string, DWORD>{{IDOK}, "cut\ntwo\n", transferPrompt},
          {{IDC_TRANSFER_TYPE_ASCII, IDC_TRANSFER_TYPE_DONT_ASK, IDOK},
           "one\r\ntwo\r\n",
           transferAscii}}) {
        WriteBytes(Local(L"lines.txt"), "cut");
        app.options.SetTransferType(transferPrompt);
        int asked = prompts.Count(L"Transfer Type?");
        prompts.On(L"Transfer Type?", Pressing(clicks));
        Download({L"Flines.txt"});
        EXPECT_EQ(asked + 1, prompts.Count(L"Transfer Type?"));
        EXPECT_EQ(result, ReadBytes(Local(L"lines.txt")));
        EXPECT_EQ(storedAfter, app.options.GetTransferType());
    }
}

// Abort in a folder ends the whole walk where it began; the refused file
// leaves no local file and its error carries the server's reason. Retry and
// Ignore run through the failures' and the upload's tests: the walk that asks is one.
TEST_F(DownloadWorkerTest, AbortInAFolderEndsTheWalkWhereItBegan) {
    for (const wchar_t* name : {L"after", L"sub\\unreadable"}) WriteBytes(Remote(name), "content");
    recorder.answers = {answerAbort};
    Download({L"Fafter", L"Dsub"});
    EXPECT_EQ(Names{L"unreadable"}, recorder.NamesOf(WM_APP_DOWNLOAD_FILE));
    EXPECT_EQ(
        Names{L"Can't download file " + Local(L"sub\\unreadable") + L"\n550 Permission denied."},
        recorder.TextsOf(WM_APP_DOWNLOAD_ERROR));
    EXPECT_EQ(Names{}, FilesBelow(local.Path()));
    EXPECT_EQ(1, recorder.Count(WM_APP_DOWNLOAD_ENDED));
    EXPECT_EQ(startDir, CurrentDir());
}

TEST_F(DownloadWorkerTest, HostileNamesAndLongPathsWriteNothingOutsideTheTarget) {
    WriteBytes(Remote(L"fine"), "fine");
    local.MakeFolder(L"to");
    // Selected names that climb or name other folders; a device and a stream,
    // which the server does not hold: their mapped names must not appear.
    Download({L"F..\\escape", L"D..", L"Fsub/inner", L"Fcon", L"Ffine:stream", L"Ffine"}, L"to");
    EXPECT_EQ(5, recorder.Count(WM_APP_DOWNLOAD_ERROR));
    // A target that fits whose files would not: refused, not cut.
    std::wstring deep = L"to\\" + std::wstring(510 - Local(L"to\\").size(), L'x');
    Download({L"Ffine"}, deep);
    EXPECT_EQ(6, recorder.Count(WM_APP_DOWNLOAD_ERROR));
    EXPECT_EQ(Names{L"to\\fine"}, FilesBelow(local.Path()));
    EXPECT_EQ(startDir, CurrentDir());

    // A listing that climbs, names other folders, and holds a folder that cannot be
    // entered and one whose listing is refused: both go to the prompt like a file.
    FtpFS hostile;
    ASSERT_TRUE(ConnectHostile(hostile)) << "no login to the hostile fixture server";
    recorder.events.clear();
    Download({L"Dtree"}, L"to", &hostile);
    EXPECT_EQ((Names{L"to\\fine", L"to\\tree\\safe.txt", L"to\\tree\\served.bin"}),
              FilesBelow(local.Path()));
    EXPECT_EQ(7000u, ReadBytes(Local(L"to\\tree\\served.bin")).size());
    Names errors = recorder.TextsOf(WM_APP_DOWNLOAD_ERROR);
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ((Names{L"Can't download file " + Local(L"to\\tree\\col%3Aon") +
                         L"\n550 No such file or directory.",
                     L"Can't download folder " + Local(L"to\\tree\\ghost") +
                         L"\n550 No such file or directory.",
                     L"Can't download folder " + Local(L"to\\tree\\refused") +
                         L"\n550 Permission denied."}),
              errors);
    // The panel's failure counts: files, folders, and no failed run.
    const FailureCounts& failed = recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).failures;
    EXPECT_EQ((std::vector<DWORD>{1, 2, 0}),
              (std::vector<DWORD>{failed.files, failed.folders, failed.runFailed}));
}

// A file the server fails after 150 (nothing sent or a little, then 451)
// leaves the local copy it was to replace as it was, whatever the answer, and a
// data connection reset as soon as it is made fails that one file; a control
// connection that drops ends the run as failed without asking about every later item.
TEST_F(DownloadWorkerTest, FailuresLeaveLocalFilesAloneAndALostConnectionFailsTheRun) {
    FtpFS hostile;
    ASSERT_TRUE(ConnectHostile(hostile)) << "no login to the hostile fixture server";
    app.options.SetExistingFileOption(existingOverwrite);
    for (const wchar_t* name : {L"empty-fail", L"truncated"}) WriteBytes(Local(name), "precious");
    recorder.answers = {answerRetry, answerIgnore};
    Download({L"Ftruncated", L"Fempty-fail", L"Fdies-midway"}, L"", &hostile);
    EXPECT_EQ("precious", ReadBytes(Local(L"empty-fail")));
    EXPECT_EQ("precious", ReadBytes(Local(L"truncated")));
    EXPECT_EQ(4, recorder.Count(WM_APP_DOWNLOAD_FILE));  // the Retry opened one afresh
    EXPECT_EQ(3u, recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).failures.files);
    EXPECT_EQ(0u, recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).failures.runFailed);

    // A part file that cannot take its target's place (a folder is in the way)
    // goes to the prompt even once the next file was asked for; Retry tries
    // it again, Ignore leaves its data in the part file and the rest done.
    recorder.events.clear();
    recorder.answers = {answerRetry, answerIgnore};
    WriteBytes(Remote(L"after"), "after");
    WriteBytes(Remote(L"blocked"), "blocked");
    local.MakeFolder(L"in-way\\blocked");
    Download({L"Fafter", L"Fblocked"}, L"in-way");
    // A local failure, with no reply of the server's below it.
    EXPECT_EQ(Names(2, L"Can't download file " + Local(L"in-way\\blocked")),
              recorder.TextsOf(WM_APP_DOWNLOAD_ERROR));
    EXPECT_EQ((Names{L"after", L"blocked.corvane-part"}), FilesBelow(Local(L"in-way")));
    EXPECT_EQ("blocked", ReadBytes(Local(L"in-way\\blocked.corvane-part")));
    EXPECT_EQ(1u, recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).failures.files);

    recorder.events.clear();
    local.MakeFolder(L"dropped");
    Download({L"Fafter", L"Dhang-up"}, L"dropped");
    EXPECT_EQ(0, recorder.Count(WM_APP_DOWNLOAD_ERROR));
    EXPECT_EQ(1u, recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).failures.runFailed);
    EXPECT_EQ(Names{}, FilesBelow(Local(L"dropped")));
    EXPECT_EQ(1, recorder.Count(WM_APP_DOWNLOAD_ENDED));
}

// A link to a folder is followed by a download, but a link back to its own
// folder stops at the depth bound. A tree delete never enters one: pyftpdlib's
// MLSD calls doomed/link a folder, yet it goes as a link, and the sibling it
// leads to keeps its files.
TEST_F(DownloadWorkerTest, FolderLinksAreFollowedButNeverWithoutEndAndNeverDeletedThrough) {
    ASSERT_TRUE(engine.CreateRemoteDir(L"make-links"));
    Download({L"Ddoomed", L"Dloop"});
    EXPECT_EQ("keep", ReadBytes(Local(L"doomed\\link\\keep.txt")));
    Names errors = recorder.TextsOf(WM_APP_DOWNLOAD_ERROR);
    ASSERT_EQ(1u, errors.size());
    EXPECT_NE(std::wstring::npos, errors[0].find(L"more than 32 folders deep"));
    EXPECT_EQ(startDir, CurrentDir());
    EXPECT_EQ(S_OK, engine.DeleteRemoteTree(L"doomed"));
    EXPECT_TRUE(std::filesystem::exists(Remote(L"victim\\keep.txt")));
    EXPECT_FALSE(std::filesystem::exists(Remote(L"doomed")));
}

// Up to the server and back into another folder: both walks in their stack
// order, both copies byte for byte, an existing remote folder and file
// replaced, the last report with the exact counts however seldom they come.
TEST_F(TransferWorkerTest, TreesGoUpAndComeBackByteForByteInStackOrder) {
    const Names files = {L"A\\one", L"A\\empty",          L"A\\inner\\name with blanks",
                         L"top",    L"B\\Grüße 名前.bin", L"B\\deep\\deeper\\x"};
    const uint64_t sizes[] = {kCopyBlockBytes,    0, 12345, 1, 3 * kCopyBlockBytes - 1,
                              kCopyBlockBytes + 1};
    for (size_t i = 0; i < files.size(); ++i)
        ASSERT_TRUE(WriteTestFile(Local(files[i]), sizes[i], static_cast<unsigned>(i)));
    WriteBytes(Remote(L"A\\one"), "older and other");
    app.options.SetExistingFileOption(existingOverwrite);
    const Names selection = {L"DA", L"DB", L"Ftop"};

    EXPECT_EQ(S_OK, Upload(selection));
    for (const std::wstring& file : files)
        EXPECT_EQ(FileChecksum(Local(file)), FileChecksum(Remote(file))) << file;
    Names sent = recorder.NamesOf(WM_APP_UPLOAD_FILE);
    ASSERT_EQ(6u, sent.size());
    EXPECT_EQ(L"top", sent[0]);
    EXPECT_EQ(Local(L"top"), recorder.TextsOf(WM_APP_UPLOAD_FILE)[0]);
    Names fromB = {sent[1], sent[2]};
    std::sort(fromB.begin(), fromB.end());
    EXPECT_EQ((Names{L"Grüße 名前.bin", L"x"}), fromB);
    // Files done (the last one counted), folders created, total bytes.
    const std::vector<ULONGLONG> counts = {6, 5, 5 * kCopyBlockBytes + 12345 + 1};
    EXPECT_EQ(counts, recorder.LastProgress(WM_APP_UPLOAD_PROGRESS).Counts());
    EXPECT_EQ(1, recorder.Count(WM_APP_UPLOAD_ENDED));

    // Back, into a folder whose name is not ASCII, with file notices an interval
    // apart: the first file's, then at the end the last one's.
    TransferWalk::SetReportInterval(60 * 1000);
    recorder.events.clear();
    local.MakeFolder(L"zurück");
    EXPECT_EQ(S_OK, Download(selection, L"zurück"));
    for (const std::wstring& file : files)
        EXPECT_EQ(FileChecksum(Remote(file)), FileChecksum(Local(L"zurück\\" + file))) << file;
    // The last selected first; a folder's whole tree before what was selected earlier.
    Names got = recorder.NamesOf(WM_APP_DOWNLOAD_FILE);
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ(L"top", got[0]);
    EXPECT_NE(L"top", got[1]);
    ASSERT_EQ((Names{L"B", L"deep", L"deeper", L"A", L"inner"}),
              recorder.NamesOf(WM_APP_DOWNLOAD_FOLDER));
    EXPECT_EQ(Local(L"zurück\\B\\deep\\deeper"), recorder.TextsOf(WM_APP_DOWNLOAD_FOLDER)[2]);
    EXPECT_EQ(WM_APP_DOWNLOAD_STARTED, recorder.events.front().message);
    // Folders entered this time: the last report follows the last count.
    EXPECT_EQ(counts, recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).Counts());
    EXPECT_EQ(1, recorder.Count(WM_APP_DOWNLOAD_ENDED));
    EXPECT_EQ(WM_APP_DOWNLOAD_ENDED, recorder.events.back().message);
    EXPECT_EQ(startDir, CurrentDir());
}

TEST_F(UploadWorkerTest, RefusedAndUnreadableFilesGoToTheErrorPrompt) {
    for (const wchar_t* name : {L"fine.txt", L"unwritable-a", L"unwritable-b", L"locked"})
        WriteBytes(Local(name), "one\r\ntwo\r\n");
    // Ignore All tries the file once more, then skips failures silently. Every file asks its type.
    recorder.answers = {answerIgnoreAll};
    app.options.SetTransferType(transferPrompt);
    prompts.On(L"Transfer Type?", Pressing({IDC_TRANSFER_TYPE_ASCII, IDOK}));
    Upload({L"Funwritable-b", L"Ffine.txt", L"Funwritable-a"});
    EXPECT_EQ((Names{L"unwritable-a", L"unwritable-a", L"fine.txt", L"unwritable-b"}),
              recorder.NamesOf(WM_APP_UPLOAD_FILE));
    EXPECT_EQ(4, prompts.Count(L"Transfer Type?"));
    EXPECT_EQ(Names{L"Can't upload file unwritable-a\n550 Permission denied."},
              recorder.TextsOf(WM_APP_UPLOAD_ERROR));
    EXPECT_EQ("one\ntwo\n", ReadBytes(Remote(L"fine.txt")));

    // A local file that cannot be read replaces nothing on the server.
    WriteBytes(Remote(L"locked"), "server copy");
    HANDLE held =
        CreateFileW(Local(L"locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    recorder.events.clear();
    recorder.answers = {answerRetry, answerIgnore};
    Upload({L"Flocked"});
    CloseHandle(held);
    // A local failure shows no reply of the server's.
    EXPECT_EQ(Names(2, L"Can't upload file locked"), recorder.TextsOf(WM_APP_UPLOAD_ERROR));
    EXPECT_EQ("server copy", ReadBytes(Remote(L"locked")));
    EXPECT_EQ(startDir, CurrentDir());
}

// Cancel in the middle of a file, both ways: control comes back within a
// second, the worker logs in again by itself and then ends the run, what
// arrived stays (a download's in its part file, the target untouched) and is
// the start of the file sent, and the engine stands where it started. Resumed,
// the file ends byte for byte the one sent; its bar starts at what was there.
TEST_F(TransferWorkerTest, CancelMidwayKeepsWhatArrivedAndResumeCompletesIt) {
    // The server sends "slow" files at about 1.5 MB/s.
    ASSERT_TRUE(WriteTestFile(Remote(L"big\\slow.bin"), 4 << 20, 7));
    WriteBytes(Local(L"big\\slow.bin"), "older copy");
    ASSERT_TRUE(WriteTestFile(Local(L"up\\large.bin"), 256 << 20, 3));
    for (bool upload : {false, true}) {
        SCOPED_TRACE(upload ? "upload" : "download");
        app.options.SetExistingFileOption(existingOverwrite);
        bool midway = false;  // by the bytes of the current file
        recorder.onProgress = [&midway](const auto& progress) {
            midway = progress.fileBytes > 100000;
        };
        ASSERT_EQ(S_OK, Start(upload, {upload ? L"Dup" : L"Dbig"}, local.Path()));
        ASSERT_TRUE(PumpUntil([&midway] { return midway; }));

        DWORD start = GetTickCount();
        EXPECT_EQ(S_OK, upload ? engine.CancelUpload() : engine.CancelDownload());
        EXPECT_LT(GetTickCount() - start, 1000u);
        EXPECT_TRUE(PumpUntil([this] { return !engine.IsBusy(); }));
        EXPECT_EQ(1, recorder.Count(upload ? WM_APP_UPLOAD_ENDED : WM_APP_DOWNLOAD_ENDED));
        EXPECT_EQ(startDir, CurrentDir());
        std::wstring from = upload ? Local(L"up\\large.bin") : Remote(L"big\\slow.bin");
        std::wstring to = upload ? Remote(L"up\\large.bin") : Local(L"big\\slow.bin.corvane-part");
        EXPECT_TRUE(std::filesystem::exists(to));  // no delete is sent
        std::string partial = ReadBytes(to), whole = ReadBytes(from);
        EXPECT_LT(partial.size(), whole.size());
        EXPECT_TRUE(whole.compare(0, partial.size(), partial) == 0);
        if (!upload) {
            EXPECT_GT(partial.size(), 100000u);
            EXPECT_EQ("older copy", ReadBytes(Local(L"big\\slow.bin")));
        }

        recorder.events.clear();
        recorder.onProgress = nullptr;
        app.options.SetExistingFileOption(existingResume);
        Transfer(upload, {upload ? L"Dup" : L"Dbig"}, local.Path());
        EXPECT_EQ(FileChecksum(from), FileChecksum(upload ? to : Local(L"big\\slow.bin")));
        EXPECT_FALSE(std::filesystem::exists(Local(L"big\\slow.bin.corvane-part")));
        UINT progress = upload ? WM_APP_UPLOAD_PROGRESS : WM_APP_DOWNLOAD_PROGRESS;
        auto first =
            std::find_if(recorder.events.begin(), recorder.events.end(),
                         [progress](const auto& event) { return event.message == progress; });
        ASSERT_NE(recorder.events.end(), first);
        EXPECT_GE(first->progress.fileBytes, partial.size());
        EXPECT_EQ(whole.size() - partial.size(), recorder.LastProgress(progress).totalBytes);
    }
}

// vsftpd both ways from a cut copy, in a folder the engine makes and then
// deletes whole; a server without REST gets the error prompt and the part file
// stays as it was.
TEST_F(TransferWorkerTest, ResumeAndTreeDeleteOnVsftpdAndARefusedRestIsAsked) {
    FtpFS vsftpd;
    std::wstring onDisk;
    ASSERT_TRUE(ConnectVsftpd(vsftpd, onDisk)) << kFixtureMissing;
    const std::string down = TestBytes((3 << 20) + 7, 5), up = TestBytes((3 << 20) + 7, 6);
    WriteBytes(onDisk + L"\\down.bin", down);
    WriteBytes(Local(L"down.bin.corvane-part"), down.substr(0, down.size() / 2));
    WriteBytes(Local(L"up.bin"), up);
    WriteBytes(onDisk + L"\\up.bin", up.substr(0, up.size() / 3));
    app.options.SetExistingFileOption(existingResume);
    app.options.SetTransferType(transferBinary);
    Download({L"Fdown.bin"}, L"", &vsftpd);
    Transfer(true, {L"Fup.bin"}, L"", &vsftpd);
    EXPECT_TRUE(down == ReadBytes(Local(L"down.bin")));
    EXPECT_TRUE(up == ReadBytes(onDisk + L"\\up.bin"));
    EXPECT_EQ(0, recorder.Count(WM_APP_DOWNLOAD_ERROR) + recorder.Count(WM_APP_UPLOAD_ERROR));
    prompts.On(L"Error", Pressing({IDOK}));
    ASSERT_TRUE(vsftpd.CreateRemoteDir(L"sub") && vsftpd.SetCurrentDir(L"..") == S_OK);
    EXPECT_EQ(S_OK, vsftpd.DeleteRemoteTree(TestFolderName().c_str()));
    EXPECT_EQ(0, prompts.Count(L"Error"));
    EXPECT_FALSE(std::filesystem::exists(onDisk));

    FtpFS hostile;
    ASSERT_TRUE(ConnectHostile(hostile)) << "no login to the hostile fixture server";
    WriteBytes(Local(L"served.bin.corvane-part"), "cut");
    ASSERT_EQ(S_OK, hostile.SetCurrentDir(L"tree"));
    // Two selected files: their sizes come from the folder's listing.
    Download({L"Fserved.bin", L"Fsafe.txt"}, L"", &hostile);
    EXPECT_EQ(Names{L"Can't download file " + Local(L"served.bin") +
                    L"\n500 Command \"REST\" not understood."},
              recorder.TextsOf(WM_APP_DOWNLOAD_ERROR));
    EXPECT_EQ("cut", ReadBytes(Local(L"served.bin.corvane-part")));
}

}  // namespace

// On a slow link the part file holds what arrived lately, not only what fills
// the local stream's buffer: this file is smaller than that buffer, so without
// its flushes the part file would stay empty until the file is whole and renamed.
TEST_F(DownloadWorkerTest, OnASlowLinkThePartFileFollowsTheData) {
    FtpFS slow;
    ASSERT_EQ(S_OK, LoginInFolder(slow, FixturePort("CORVANE_FTP_SLOW_LINK_PORT")));
    WriteBytes(Remote(L"trickle.bin"), std::string(200 << 10, 't'));
    ASSERT_EQ(S_OK, Start(false, {L"Ftrickle.bin"}, local.Path(), &slow));
    EXPECT_TRUE(
        PumpUntil([this] { return ReadBytes(Local(L"trickle.bin.corvane-part")).size() > 10000; }));
    EXPECT_EQ(S_OK, slow.CancelDownload());
    EXPECT_TRUE(PumpUntil([&slow] { return !slow.IsBusy(); }));
}
