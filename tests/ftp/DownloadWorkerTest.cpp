#include <gtest/gtest.h>

#include <algorithm>

#include "TransferHarness.h"
#include "resources/resource.h"

namespace {

class DownloadWorkerTest : public TransferTest {
  protected:
    HRESULT Download(const Names& items, const std::wstring& into = L"") {
        return Transfer(false, items, into.empty() ? local.Path() : Local(into));
    }
};

const Names kTree = {L"A\\one", L"A\\empty",          L"A\\inner\\name with blanks",
                     L"top",    L"B\\Grüße 名前.bin", L"B\\deep\\deeper\\x"};
const uint64_t kTreeSizes[] = {5120, 0, 12345, 1, 70000, 5121};

TEST_F(DownloadWorkerTest, WalksTheSelectionAsAStackAndCopiesTreesByteForByte) {
    for (size_t i = 0; i < kTree.size(); ++i) {
        WriteBytes(Remote(kTree[i]), "");
        ASSERT_TRUE(WriteTestFile(Remote(kTree[i]), kTreeSizes[i], static_cast<unsigned>(i)));
    }
    EXPECT_EQ(S_OK, Download({L"DA", L"DB", L"Ftop"}));

    for (const std::wstring& file : kTree)
        EXPECT_EQ(FileChecksum(Remote(file)), FileChecksum(Local(file))) << file;
    // The last selected first; a folder's whole tree before what was selected earlier.
    EXPECT_EQ(L"top", recorder.NamesOf(WM_DOWNLOAD_FILE)[0]);
    EXPECT_EQ((Names{L"B", L"deep", L"deeper", L"A", L"inner"}),
              recorder.NamesOf(WM_DOWNLOAD_FOLDER));
    EXPECT_EQ(Local(L"B\\deep\\deeper"), recorder.TextsOf(WM_DOWNLOAD_FOLDER)[2]);
    EXPECT_EQ(WM_DOWNLOAD_STARTED, recorder.events.front().message);
    EXPECT_EQ(WM_DOWNLOAD_ENDED, recorder.events.back().message);
    EXPECT_EQ(1, recorder.Count(WM_DOWNLOAD_ENDED));
    // Files done, folders entered, total bytes: the last report follows the last count.
    const DWORD* counters = recorder.LastCounters(WM_DOWNLOAD_PROGRESS);
    EXPECT_EQ(6u, counters[0]);
    EXPECT_EQ(5u, counters[1]);
    EXPECT_EQ(5120u + 12345 + 1 + 70000 + 5121, counters[2]);
    EXPECT_EQ(startDir, CurrentDir());
}

TEST_F(DownloadWorkerTest, ExistingFilesFollowTheRuleOrThePromptAndItsBox) {
    WriteBytes(Remote(L"one"), "new one");
    WriteBytes(Remote(L"two"), "new two");
    struct Case {
        DWORD code;
        std::vector<int> clicks;
        std::string result;
        int prompts, errors;
        DWORD storedAfter;
        int opened;
    };
    const int overwrite = IDC_FILE_EXISTS_OVERWRITE, skip = IDC_FILE_EXISTS_SKIP;
    for (const Case& round : {
             Case{existingSkip, {}, "old", 0, 0, existingSkip, 0},
             Case{existingOverwrite, {}, "new one", 0, 0, existingOverwrite, 2},
             // Resume says it is not offered, then fails each file like a refused one.
             Case{existingResume, {IDOK}, "old", 2, 2, existingResume, 0},
             // The prompt's answer is kept while its box stays ticked.
             Case{existingPrompt, {overwrite}, "new one", 1, 0, existingOverwrite, 2},
             Case{existingPrompt, {IDC_FILE_EXISTS_DONT_ASK, skip}, "old", 2, 0, existingPrompt, 0},
         }) {
        SCOPED_TRACE(round.code);
        recorder.events.clear();
        std::wstring folder =
            L"round" + std::to_wstring(round.code) + L"-" + std::to_wstring(round.clicks.size());
        for (const wchar_t* name : {L"one", L"two"})
            WriteBytes(Local(folder + L"\\" + name), "old");
        app.options.SetExistingFileOption(round.code);
        std::wstring caption = round.code == existingResume ? L"Error" : L"File exist";
        std::wstring shown;
        int asked = prompts.Count(caption);
        prompts.On(caption, [&shown, &round](HWND prompt) {
            if (shown.empty()) shown = ItemText(prompt, IDC_FILE_EXISTS_MESSAGE);
            Pressing(round.clicks)(prompt);
        });
        Download({L"Fone", L"Ftwo"}, folder);

        EXPECT_EQ(round.result, ReadBytes(Local(folder + L"\\one")));
        EXPECT_EQ(round.prompts, prompts.Count(caption) - asked);
        EXPECT_EQ(round.errors, recorder.Count(WM_DOWNLOAD_ERROR));
        EXPECT_EQ(round.storedAfter, app.options.GetExistingFileOption());
        EXPECT_EQ(round.opened, recorder.Count(WM_DOWNLOAD_FILE));  // none for a skipped file
        if (round.code == existingPrompt) {
            EXPECT_EQ(
                L"File " + Local(folder + L"\\two") + L" exists.   What would you like to do?",
                shown);
        }
    }
}

TEST_F(DownloadWorkerTest, TransferTypePromptGivesBinaryOrRealAscii) {
    WriteBytes(Remote(L"lines.txt"), "one\ntwo\n");
    app.options.SetExistingFileOption(existingOverwrite);
    for (auto [clicks, result, storedAfter] :
         {std::tuple<std::vector<int>, std::string, DWORD>{{IDOK}, "one\ntwo\n", transferPrompt},
          {{IDC_TRANSFER_TYPE_ASCII, IDC_TRANSFER_TYPE_DONT_ASK, IDOK},
           "one\r\ntwo\r\n",
           transferAscii}}) {
        app.options.SetTransferType(transferPrompt);
        int asked = prompts.Count(L"Transfer Type?");
        prompts.On(L"Transfer Type?", Pressing(clicks));
        Download({L"Flines.txt"});
        EXPECT_EQ(asked + 1, prompts.Count(L"Transfer Type?"));
        EXPECT_EQ(result, ReadBytes(Local(L"lines.txt")));
        EXPECT_EQ(storedAfter, app.options.GetTransferType());
    }
}

TEST_F(DownloadWorkerTest, ErrorPromptAnswersSteerTheWalk) {
    for (const wchar_t* name : {L"after", L"unreadable-a", L"unreadable-b", L"sub\\unreadable"})
        WriteBytes(Remote(name), "content");
    struct Case {
        std::wstring what;
        std::vector<LRESULT> answers;
        Names items, opened;  // opened: the files the worker went to open, in order
        int prompts;
    };
    for (const Case& round : {
             Case{L"retry then ignore",
                  {answerRetry, answerIgnore},
                  {L"Fafter", L"Funreadable-a"},
                  {L"unreadable-a", L"unreadable-a", L"after"},
                  2},
             Case{L"abort in a folder", {answerAbort}, {L"Fafter", L"Dsub"}, {L"unreadable"}, 1},
             // Ignore All tries the file once more, then skips failures silently.
             Case{L"ignore all",
                  {answerIgnoreAll},
                  {L"Funreadable-b", L"Fafter", L"Funreadable-a"},
                  {L"unreadable-a", L"unreadable-a", L"after", L"unreadable-b"},
                  1},
         }) {
        SCOPED_TRACE(round.what);
        recorder.events.clear();
        recorder.answers.assign(round.answers.begin(), round.answers.end());
        CreateDirectoryW(Local(round.what).c_str(), nullptr);
        Download(round.items, round.what);

        EXPECT_EQ(round.opened, recorder.NamesOf(WM_DOWNLOAD_FILE));
        EXPECT_EQ(round.prompts, recorder.Count(WM_DOWNLOAD_ERROR));
        std::wstring failed = round.opened.size() == 1 ? L"sub\\unreadable" : round.opened[0];
        EXPECT_EQ(L"Can't download file " + Local(round.what + L"\\" + failed),
                  recorder.TextsOf(WM_DOWNLOAD_ERROR)[0]);
        // A refused file leaves no local file; the walk ends where it began.
        EXPECT_EQ(round.opened.size() == 1 ? Names{} : Names{L"after"},
                  FilesBelow(Local(round.what)));
        EXPECT_EQ(1, recorder.Count(WM_DOWNLOAD_ENDED));
        EXPECT_EQ(startDir, CurrentDir());
    }
}

TEST_F(DownloadWorkerTest, CancelInTheMiddleOfAFileKeepsItAndReturnsWhereItStarted) {
    const size_t size = 16 << 20;  // the server sends "slow" files at about 1.5 MB/s
    WriteBytes(Remote(L"big\\slow.bin"), "");
    ASSERT_TRUE(WriteTestFile(Remote(L"big\\slow.bin"), size, 7));
    bool midway = false;
    recorder.onProgress = [&midway](const DWORD* counters) { midway = counters[4] > 100000; };
    TransferList items;
    items.AddTail(new TransferItem(L"Dbig"));
    ASSERT_EQ(S_OK, engine.StartDownload(items, local.Path().c_str(), recorder.GetHandle()));
    ClearTransferList(items);
    ASSERT_TRUE(PumpUntil([&midway] { return midway; }));

    DWORD start = GetTickCount();
    EXPECT_EQ(S_OK, engine.CancelDownload());
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(engine.IsBusy());
    EXPECT_EQ(1, recorder.Count(WM_DOWNLOAD_ENDED));
    EXPECT_EQ(startDir, CurrentDir());  // on a new login
    // What arrived stays, closed, and is the start of the remote file.
    std::string partial = ReadBytes(Local(L"big\\slow.bin"));
    ASSERT_GT(partial.size(), 100000u);
    ASSERT_LT(partial.size(), size);
    EXPECT_EQ(ReadBytes(Remote(L"big\\slow.bin")).substr(0, partial.size()), partial);
}

TEST_F(DownloadWorkerTest, HostileNamesAndLongPathsWriteNothingOutsideTheTarget) {
    WriteBytes(Remote(L"fine"), "fine");
    local.MakeFolder(L"to");
    // Selected names that climb, name other folders, a device or a stream.
    Download({L"F..\\escape", L"D..", L"Fsub/inner", L"Fcon", L"Ffine:stream", L"Ffine"}, L"to");
    EXPECT_EQ(5, recorder.Count(WM_DOWNLOAD_ERROR));
    // A target that fits whose files would not: refused, not cut.
    std::wstring deep = L"to\\" + std::wstring(510 - Local(L"to\\").size(), L'x');
    Download({L"Ffine"}, deep);
    EXPECT_EQ(6, recorder.Count(WM_DOWNLOAD_ERROR));
    EXPECT_EQ(Names{L"to\\fine"}, FilesBelow(local.Path()));
    EXPECT_EQ(startDir, CurrentDir());

    // A listing that climbs, names other folders, and holds a folder that cannot be entered.
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_FTP_HOSTILE_PORT");
    FtpFS hostile;
    ASSERT_EQ(S_OK,
              hostile.Connect(server.host.c_str(), server.user.c_str(), server.password.c_str(),
                              static_cast<WORD>(atoi(port.c_str()))));
    recorder.events.clear();
    TransferList items;
    items.AddTail(new TransferItem(L"Dtree"));
    ASSERT_EQ(S_OK, hostile.StartDownload(items, Local(L"to").c_str(), recorder.GetHandle()));
    ClearTransferList(items);
    ASSERT_TRUE(PumpUntil([&hostile] { return !hostile.IsBusy(); }));
    EXPECT_EQ((Names{L"to\\fine", L"to\\tree\\safe.txt", L"to\\tree\\served.bin"}),
              FilesBelow(local.Path()));
    EXPECT_EQ(7000u, ReadBytes(Local(L"to\\tree\\served.bin")).size());
    Names errors = recorder.TextsOf(WM_DOWNLOAD_ERROR);
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ((Names{L"Can't download file " + Local(L"to\\tree\\col:on"),
                     L"Can't download folder " + Local(L"to\\tree\\ghost")}),
              errors);
}

}  // namespace
