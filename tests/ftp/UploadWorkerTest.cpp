#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TransferHarness.h"
#include "resources/resource.h"

namespace {

using Names = std::vector<std::wstring>;

class UploadWorkerTest : public TransferTest {
  protected:
    // Uploads local entries, named relative to the local folder, to their end.
    HRESULT Upload(std::initializer_list<std::wstring> items,
                   const std::vector<PromptAnswer>& prompts = {},
                   std::map<std::wstring, int>* answered = nullptr) {
        TransferList list;
        for (const std::wstring& item : items)
            list.AddTail(new TransferItem((item.substr(0, 1) + Local(item.substr(1))).c_str()));
        HRESULT result = engine.StartUpload(list, recorder.GetHandle());
        ClearTransferList(list);
        EXPECT_TRUE(PumpUntilIdle(engine, prompts, answered));
        return result;
    }
};

TEST_F(UploadWorkerTest, CopiesTreesByteForByteInStackOrderAndReplacesWhatExists) {
    const Names files = {L"A\\one", L"A\\empty",          L"A\\inner\\name with blanks",
                         L"top",    L"B\\Grüße 名前.bin", L"B\\deep\\x"};
    const uint64_t sizes[] = {5120, 0, 12345, 1, 70000, 5121};
    for (size_t i = 0; i < files.size(); ++i) {
        local.MakeFolder(std::filesystem::path(files[i]).parent_path().wstring());
        ASSERT_TRUE(WriteTestFile(Local(files[i]), sizes[i], static_cast<unsigned>(i)));
    }
    // An existing folder is used and its same-named files are replaced.
    WriteBytes(Remote(L"A\\one"), "older and other");

    EXPECT_EQ(S_OK, Upload({L"DA", L"DB", L"Ftop"}));

    for (const std::wstring& file : files)
        EXPECT_EQ(FileChecksum(Local(file)), FileChecksum(Remote(file))) << file;
    Names sent = recorder.Names(WM_UPLOAD_FILE);
    ASSERT_EQ(files.size(), sent.size());
    EXPECT_EQ(L"top", sent[0]);
    auto at = [&sent](const wchar_t* name) { return std::find(sent.begin(), sent.end(), name); };
    EXPECT_LT(std::max(at(L"x"), at(L"Grüße 名前.bin")), std::min(at(L"one"), at(L"empty")));
    EXPECT_EQ(Local(L"top"), recorder.Texts(WM_UPLOAD_FILE)[0]);

    EXPECT_EQ(WM_UPLOAD_STARTED, recorder.events.front().message);
    EXPECT_EQ(WM_UPLOAD_ENDED, recorder.events.back().message);
    EXPECT_EQ(1, recorder.Count(WM_UPLOAD_ENDED));
    EXPECT_EQ(0, recorder.Count(WM_UPLOAD_ERROR));
    std::vector<DWORD> counters = recorder.LastCounters(WM_UPLOAD_PROGRESS);
    EXPECT_EQ(5u, counters[0]);  // files done, before the last file is counted
    EXPECT_EQ(5120u + 12345 + 1 + 70000 + 5121, counters[1]);
    EXPECT_EQ(4u, counters[5]);  // folders created
    EXPECT_EQ(startDir, CurrentDir());
}

TEST_F(UploadWorkerTest, TransferTypePromptAsksForEveryFile) {
    WriteBytes(Local(L"a.txt"), "one\r\ntwo\r\n");
    WriteBytes(Local(L"b.txt"), "one\r\ntwo\r\n");
    app.options.SetTransferType(transferPrompt);
    std::map<std::wstring, int> answered;
    int asked = 0;
    // The first prompt (for b.txt) is answered ASCII, the second binary.
    PromptAnswer answer{L"Transfer Type?", {IDOK}, [&asked](HWND prompt) {
                            if (asked++ == 0)
                                SendMessageW(GetDlgItem(prompt, IDC_TRANSFER_TYPE_ASCII), BM_CLICK,
                                             0, 0);
                        }};
    Upload({L"Fa.txt", L"Fb.txt"}, {answer}, &answered);

    EXPECT_EQ(2, answered[L"Transfer Type?"]);
    EXPECT_EQ("one\ntwo\n", ReadBytes(Remote(L"b.txt")));
    EXPECT_EQ("one\r\ntwo\r\n", ReadBytes(Remote(L"a.txt")));
}

TEST_F(UploadWorkerTest, RefusedAndUnreadableFilesGoToTheErrorPrompt) {
    for (const wchar_t* name : {L"fine", L"unwritable-a", L"unwritable-b", L"locked"})
        WriteBytes(Local(name), "content");
    // Ignore All tries the file once more, then skips every failure silently.
    recorder.answers = {answerIgnoreAll};
    Upload({L"Funwritable-b", L"Ffine", L"Funwritable-a"});
    EXPECT_EQ((Names{L"unwritable-a", L"unwritable-a", L"fine", L"unwritable-b"}),
              recorder.Names(WM_UPLOAD_FILE));
    EXPECT_EQ(Names{L"Can't upload file unwritable-a"}, recorder.Texts(WM_UPLOAD_ERROR));
    EXPECT_EQ("content", ReadBytes(Remote(L"fine")));

    // A local file that cannot be read replaces nothing on the server.
    WriteBytes(Remote(L"locked"), "server copy");
    HANDLE held =
        CreateFileW(Local(L"locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    recorder.events.clear();
    recorder.answers = {answerRetry, answerIgnore};
    Upload({L"Flocked"});
    CloseHandle(held);
    EXPECT_EQ(2, recorder.Count(WM_UPLOAD_ERROR));
    EXPECT_EQ(0, recorder.Count(WM_UPLOAD_FILE));
    EXPECT_EQ("server copy", ReadBytes(Remote(L"locked")));
    EXPECT_EQ(startDir, CurrentDir());
}

TEST_F(UploadWorkerTest, CancelStopsTheUploadAndReturnsWhereItStarted) {
    local.MakeFolder(L"big");
    ASSERT_TRUE(WriteTestFile(Local(L"big\\large.bin"), 256 << 20, 3));
    bool started = false;
    recorder.onProgress = [&started](const DWORD*) { started = true; };
    TransferList list;
    list.AddTail(new TransferItem((L"D" + Local(L"big")).c_str()));
    ASSERT_EQ(S_OK, engine.StartUpload(list, recorder.GetHandle()));
    ClearTransferList(list);
    ASSERT_TRUE(PumpUntil([&started] { return started; }));

    DWORD start = GetTickCount();
    EXPECT_EQ(S_OK, engine.CancelUpload());
    EXPECT_LT(GetTickCount() - start, 1000u);

    EXPECT_FALSE(engine.IsBusy());
    EXPECT_EQ(1, recorder.Count(WM_UPLOAD_ENDED));
    EXPECT_EQ(startDir, CurrentDir());
    // Nothing is deleted: what reached the server stays.
    EXPECT_TRUE(std::filesystem::exists(Remote(L"big\\large.bin")));
}

}  // namespace
