#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TransferHarness.h"
#include "resources/resource.h"

namespace {

using Names = std::vector<std::wstring>;

class DownloadWorkerTest : public TransferTest {
  protected:
    // Runs a download of the items into the local folder (or a folder below it) to its end.
    HRESULT Download(std::initializer_list<std::wstring> items, const std::wstring& into = L"",
                     const std::vector<PromptAnswer>& prompts = {},
                     std::map<std::wstring, int>* answered = nullptr) {
        ItemList list(items);
        std::wstring target = into.empty() ? local.Path() : Local(into);
        HRESULT result = engine.StartDownload(list.Get(), target.c_str(), recorder.GetHandle());
        EXPECT_TRUE(PumpUntilIdle(engine, prompts, answered));
        return result;
    }

    size_t IndexOf(UINT message, const std::wstring& name) {
        Names names = recorder.Names(message);
        return std::find(names.begin(), names.end(), name) - names.begin();
    }
};

// Where each event of the named message sits among all recorded events.
std::vector<size_t> Positions(const TransferRecorder& recorder, UINT message,
                              std::initializer_list<std::wstring> names) {
    std::vector<size_t> positions;
    for (const std::wstring& name : names)
        for (size_t i = 0; i < recorder.events.size(); ++i)
            if (recorder.events[i].message == message && recorder.events[i].name == name)
                positions.push_back(i);
    return positions;
}

TEST_F(DownloadWorkerTest, WalksTheSelectionAsAStackAndCopiesTreesByteForByte) {
    const Names files = {L"A\\one", L"A\\empty",          L"A\\inner\\name with blanks",
                         L"top",    L"B\\Grüße 名前.bin", L"B\\deep\\deeper\\x"};
    const uint64_t sizes[] = {5120, 0, 12345, 1, 70000, 5121};
    for (size_t i = 0; i < files.size(); ++i) {
        CreateDirectoryW(Remote(L"A").c_str(), nullptr);
        std::filesystem::create_directories(std::filesystem::path(Remote(files[i])).parent_path());
        ASSERT_TRUE(WriteTestFile(Remote(files[i]), sizes[i], static_cast<unsigned>(i)));
    }

    EXPECT_EQ(S_OK, Download({L"DA", L"DB", L"Ftop"}));

    for (const std::wstring& file : files)
        EXPECT_EQ(FileChecksum(Remote(file)), FileChecksum(Local(file))) << file;
    // Last selected first; a folder's whole tree before what was selected earlier.
    std::vector<size_t> top = Positions(recorder, WM_DOWNLOAD_FILE, {L"top"});
    std::vector<size_t> treeB = Positions(recorder, WM_DOWNLOAD_FOLDER, {L"B", L"deep", L"deeper"});
    std::vector<size_t> treeA = Positions(recorder, WM_DOWNLOAD_FOLDER, {L"A", L"inner"});
    ASSERT_EQ(1u, top.size());
    ASSERT_EQ(3u, treeB.size());
    ASSERT_EQ(2u, treeA.size());
    EXPECT_LT(top[0], *std::min_element(treeB.begin(), treeB.end()));
    EXPECT_LT(*std::max_element(treeB.begin(), treeB.end()), treeA[0]);
    EXPECT_LT(IndexOf(WM_DOWNLOAD_FILE, L"x"), IndexOf(WM_DOWNLOAD_FILE, L"one"));
    EXPECT_EQ(Local(L"B\\deep\\deeper"), recorder.Texts(WM_DOWNLOAD_FOLDER)[2]);

    EXPECT_EQ(WM_DOWNLOAD_STARTED, recorder.events.front().message);
    EXPECT_EQ(WM_DOWNLOAD_ENDED, recorder.events.back().message);
    EXPECT_EQ(1, recorder.Count(WM_DOWNLOAD_ENDED));
    EXPECT_EQ(0, recorder.Count(WM_DOWNLOAD_ERROR));
    // The last report comes with the last block, before that file is counted.
    std::vector<DWORD> counters = recorder.LastCounters(WM_DOWNLOAD_PROGRESS);
    EXPECT_EQ(5u, counters[0]);  // files done
    EXPECT_EQ(5u, counters[1]);  // folders entered
    EXPECT_EQ(5120u + 12345 + 1 + 70000 + 5121, counters[2]);
    EXPECT_EQ(startDir, CurrentDir());
    EXPECT_FALSE(engine.IsBusy());
}

TEST_F(DownloadWorkerTest, ExistingFilesFollowTheStoredRule) {
    WriteBytes(Remote(L"kept"), "new");
    struct Case {
        DWORD code;
        std::string expected;
        int errors;
    };
    for (const Case& round :
         {Case{existingSkip, "old and longer", 0}, Case{existingOverwrite, "new", 0},
          Case{existingResume, "old and longer", 1}}) {
        SCOPED_TRACE(round.code);
        std::wstring folder = L"code" + std::to_wstring(round.code);
        WriteBytes(Local(folder + L"\\kept"), "old and longer");
        app.options.SetExistingFileOption(round.code);
        recorder.events.clear();
        std::map<std::wstring, int> answered;
        Download({L"Fkept"}, folder, {{L"Error", {IDOK}}}, &answered);

        EXPECT_EQ(round.expected, ReadBytes(Local(folder + L"\\kept")));
        EXPECT_EQ(round.errors, recorder.Count(WM_DOWNLOAD_ERROR));
        // Resume is not offered: it says so, then fails like any other file.
        EXPECT_EQ(round.code == existingResume ? 1 : 0, answered[L"Error"]);
        if (round.code == existingSkip) {
            EXPECT_EQ(0, recorder.Count(WM_DOWNLOAD_FILE));
            EXPECT_EQ(0, recorder.Count(WM_DOWNLOAD_PROGRESS));
        }
        if (round.errors) {
            EXPECT_EQ(L"Can't download file " + Local(folder + L"\\kept"),
                      recorder.Texts(WM_DOWNLOAD_ERROR)[0]);
        }
    }
}

TEST_F(DownloadWorkerTest, ExistingFilePromptIsRememberedOnlyWhileItsBoxIsTicked) {
    WriteBytes(Remote(L"one"), "remote one");
    WriteBytes(Remote(L"two"), "remote two");
    struct Case {
        std::vector<int> clicks;
        int prompts;
        DWORD storedAfter;
        std::string result;
    };
    for (const Case& round :
         {Case{{IDC_FILE_EXISTS_OVERWRITE}, 1, existingOverwrite, "remote one"},
          Case{{IDC_FILE_EXISTS_DONT_ASK, IDC_FILE_EXISTS_SKIP}, 2, existingPrompt, "local"}}) {
        for (const wchar_t* name : {L"one", L"two"}) WriteBytes(Local(name), "local");
        app.options.SetExistingFileOption(existingPrompt);
        std::map<std::wstring, int> answered;
        std::wstring shown;
        PromptAnswer answer{L"File exist", round.clicks, [&shown](HWND prompt) {
                                wchar_t text[600] = L"";
                                GetDlgItemTextW(prompt, IDC_FILE_EXISTS_MESSAGE, text, 600);
                                shown = text;
                            }};
        Download({L"Fone", L"Ftwo"}, L"", {answer}, &answered);

        EXPECT_EQ(round.prompts, answered[L"File exist"]);
        EXPECT_EQ(round.storedAfter, app.options.GetExistingFileOption());
        EXPECT_EQ(round.result, ReadBytes(Local(L"one")));
        EXPECT_EQ(L"File " + Local(round.prompts == 1 ? L"two" : L"one") +
                      L" exists.   What would you like to do?",
                  shown);
    }
}

TEST_F(DownloadWorkerTest, TransferTypePromptChoosesAsciiOrBinaryForEachFile) {
    WriteBytes(Remote(L"lines.txt"), "one\ntwo\n");
    struct Case {
        std::vector<int> clicks;
        std::string result;
        DWORD storedAfter;
    };
    for (const Case& round :
         {Case{{IDOK}, "one\ntwo\n", transferPrompt},
          Case{{IDC_TRANSFER_TYPE_ASCII, IDOK}, "one\r\ntwo\r\n", transferPrompt},
          Case{{IDC_TRANSFER_TYPE_ASCII, IDC_TRANSFER_TYPE_DONT_ASK, IDOK},
               "one\r\ntwo\r\n",
               transferAscii}}) {
        app.options.SetTransferType(transferPrompt);
        app.options.SetExistingFileOption(existingOverwrite);
        std::map<std::wstring, int> answered;
        Download({L"Flines.txt"}, L"", {{L"Transfer Type?", round.clicks}}, &answered);

        EXPECT_EQ(1, answered[L"Transfer Type?"]);
        EXPECT_EQ(round.result, ReadBytes(Local(L"lines.txt")));
        EXPECT_EQ(round.storedAfter, app.options.GetTransferType());
    }
}

TEST_F(DownloadWorkerTest, ErrorPromptAnswersSteerTheWalk) {
    for (const wchar_t* name : {L"after", L"unreadable-a", L"unreadable-b", L"sub\\unreadable"})
        WriteBytes(Remote(name), "content");
    struct Case {
        const char* what;
        std::vector<LRESULT> answers;
        std::initializer_list<std::wstring> items;
        Names opened;  // the files the worker went to open, in order
        int prompts;
        bool afterCopied;
    };
    const Case cases[] = {
        {"retry, then ignore",
         {answerRetry, answerIgnore},
         {L"Fafter", L"Funreadable-a"},
         {L"unreadable-a", L"unreadable-a", L"after"},
         2,
         true},
        {"abort inside a folder", {answerAbort}, {L"Fafter", L"Dsub"}, {L"unreadable"}, 1, false},
        // Ignore All tries the file once more, then skips every failure silently.
        {"ignore all",
         {answerIgnoreAll},
         {L"Funreadable-b", L"Fafter", L"Funreadable-a"},
         {L"unreadable-a", L"unreadable-a", L"after", L"unreadable-b"},
         1,
         true},
    };
    for (const Case& round : cases) {
        SCOPED_TRACE(round.what);
        std::wstring folder = Widen(round.what);
        CreateDirectoryW(Local(folder).c_str(), nullptr);
        recorder.events.clear();
        recorder.answers.assign(round.answers.begin(), round.answers.end());
        Download(round.items, folder);

        EXPECT_EQ(round.opened, recorder.Names(WM_DOWNLOAD_FILE));
        EXPECT_EQ(round.prompts, recorder.Count(WM_DOWNLOAD_ERROR));
        EXPECT_EQ(round.afterCopied, std::filesystem::exists(Local(folder + L"\\after")));
        // A file the server refused leaves no local file behind.
        EXPECT_FALSE(std::filesystem::exists(Local(folder + L"\\unreadable-a")));
        EXPECT_EQ(1, recorder.Count(WM_DOWNLOAD_ENDED));
        EXPECT_EQ(startDir, CurrentDir());
    }
}

TEST_F(DownloadWorkerTest, CancelInTheMiddleOfAFileKeepsItAndReturnsWhereItStarted) {
    const uint64_t size = 16 << 20;  // the server sends "slow" files at about 1.5 MB/s
    CreateDirectoryW(Remote(L"big").c_str(), nullptr);
    ASSERT_TRUE(WriteTestFile(Remote(L"big\\slow.bin"), size, 7));
    bool midway = false;
    recorder.onProgress = [&midway](const DWORD* counters) { midway = counters[4] > 100000; };
    ItemList items({L"Dbig"});
    ASSERT_EQ(S_OK, engine.StartDownload(items.Get(), local.Path().c_str(), recorder.GetHandle()));
    ASSERT_TRUE(PumpUntil([&midway] { return midway; }));

    DWORD start = GetTickCount();
    EXPECT_EQ(S_OK, engine.CancelDownload());
    EXPECT_LT(GetTickCount() - start, 1000u);

    EXPECT_FALSE(engine.IsBusy());
    EXPECT_EQ(1, recorder.Count(WM_DOWNLOAD_ENDED));
    EXPECT_EQ(startDir, CurrentDir());
    // What arrived stays, closed, and is the start of the remote file.
    std::string partial = ReadBytes(Local(L"big\\slow.bin"));
    ASSERT_GT(partial.size(), 100000u);
    ASSERT_LT(partial.size(), size);
    std::string remote = ReadBytes(Remote(L"big\\slow.bin"));
    EXPECT_TRUE(remote.compare(0, partial.size(), partial) == 0);
    // The new login works.
    WIN32_FIND_DATAW data;
    EXPECT_EQ(S_OK, engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE));
    engine.FindClose();
}

TEST_F(DownloadWorkerTest, HostileNamesAndPathsTooLongWriteNothingOutsideTheTarget) {
    WriteBytes(Remote(L"fine"), "fine");
    // A selection naming the parent, other folders, a device or a stream.
    std::wstring target = Local(L"target");
    CreateDirectoryW(target.c_str(), nullptr);
    Download({L"F..\\escape", L"D..", L"Fsub/inner", L"Fcon", L"Ffine:stream", L"Ffine"},
             L"target");
    EXPECT_EQ(5, recorder.Count(WM_DOWNLOAD_ERROR));
    EXPECT_EQ(Names{L"target\\fine"}, FilesBelow(local.Path()));
    EXPECT_EQ(startDir, CurrentDir());

    // A local path beyond the buffers is refused, not cut: a target directory
    // that fits, whose files would not.
    recorder.events.clear();
    std::wstring deep = L"target\\" + std::wstring(510 - Local(L"target\\").size(), L'x');
    Download({L"Ffine"}, deep);
    EXPECT_EQ(1, recorder.Count(WM_DOWNLOAD_ERROR));
    EXPECT_EQ(Names{L"target\\fine"}, FilesBelow(local.Path()));
    ItemList fine({L"Ffine"});
    EXPECT_EQ(E_FAIL, engine.StartDownload(fine.Get(), (Local(deep) + L"yz").c_str(),
                                           recorder.GetHandle()));

    // A server whose listing climbs, names other folders and lists a folder
    // it cannot enter.
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_FTP_HOSTILE_PORT");
    FtpFS hostile;
    ASSERT_EQ(S_OK,
              hostile.Connect(server.host.c_str(), server.user.c_str(), server.password.c_str(),
                              static_cast<WORD>(atoi(port.c_str()))));
    recorder.events.clear();
    ItemList items({L"Dtree"});
    ASSERT_EQ(S_OK, hostile.StartDownload(items.Get(), target.c_str(), recorder.GetHandle()));
    ASSERT_TRUE(PumpUntilIdle(hostile));
    Names written = FilesBelow(local.Path());
    std::sort(written.begin(), written.end());
    EXPECT_EQ((Names{L"target\\fine", L"target\\tree\\safe.txt", L"target\\tree\\served.bin"}),
              written);
    EXPECT_EQ("safe", ReadBytes(Local(L"target\\tree\\safe.txt")));
    EXPECT_EQ(7000u, ReadBytes(Local(L"target\\tree\\served.bin")).size());
    Names errors = recorder.Texts(WM_DOWNLOAD_ERROR);
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ((Names{L"Can't download file " + target + L"\\tree\\col:on",
                     L"Can't download folder " + target + L"\\tree\\ghost"}),
              errors);
}

}  // namespace
