#include <gtest/gtest.h>

#include <filesystem>

#include "TransferHarness.h"
#include "resources/resource.h"

namespace {

class UploadWorkerTest : public TransferTest {
  protected:
    HRESULT Upload(const Names& items) { return Transfer(true, items, L""); }
};

TEST_F(UploadWorkerTest, CopiesTreesByteForByteInStackOrderAndReplacesWhatExists) {
    const Names files = {L"A\\one", L"A\\empty",          L"A\\inner\\name with blanks",
                         L"top",    L"B\\Grüße 名前.bin", L"B\\x"};
    const uint64_t sizes[] = {5120, 0, 12345, 1, 70000, 5121};
    for (size_t i = 0; i < files.size(); ++i) {
        WriteBytes(Local(files[i]), "");
        ASSERT_TRUE(WriteTestFile(Local(files[i]), sizes[i], static_cast<unsigned>(i)));
    }
    WriteBytes(Remote(L"A\\one"), "older and other");  // an existing folder and file

    EXPECT_EQ(S_OK, Upload({L"DA", L"DB", L"Ftop"}));

    for (const std::wstring& file : files)
        EXPECT_EQ(FileChecksum(Local(file)), FileChecksum(Remote(file))) << file;
    Names sent = recorder.NamesOf(WM_UPLOAD_FILE);
    ASSERT_EQ(6u, sent.size());
    EXPECT_EQ(L"top", sent[0]);
    EXPECT_EQ(Local(L"top"), recorder.TextsOf(WM_UPLOAD_FILE)[0]);
    Names fromB = {sent[1], sent[2]};
    std::sort(fromB.begin(), fromB.end());
    EXPECT_EQ((Names{L"Grüße 名前.bin", L"x"}), fromB);
    EXPECT_EQ(WM_UPLOAD_ENDED, recorder.events.back().message);
    EXPECT_EQ(1, recorder.Count(WM_UPLOAD_ENDED));
    // Files done (the last one counted), total bytes, folders created.
    const DWORD* counters = recorder.LastCounters(WM_UPLOAD_PROGRESS);
    EXPECT_EQ(6u, counters[0]);
    EXPECT_EQ(5120u + 12345 + 1 + 70000 + 5121, counters[1]);
    EXPECT_EQ(3u, counters[5]);
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
              recorder.NamesOf(WM_UPLOAD_FILE));
    EXPECT_EQ(4, prompts.Count(L"Transfer Type?"));
    EXPECT_EQ(Names{L"Can't upload file unwritable-a"}, recorder.TextsOf(WM_UPLOAD_ERROR));
    EXPECT_EQ("one\ntwo\n", ReadBytes(Remote(L"fine.txt")));

    // A local file that cannot be read replaces nothing on the server.
    WriteBytes(Remote(L"locked"), "server copy");
    HANDLE held =
        CreateFileW(Local(L"locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    recorder.events.clear();
    recorder.answers = {answerRetry, answerIgnore};
    Upload({L"Flocked"});
    CloseHandle(held);
    EXPECT_EQ(2, recorder.Count(WM_UPLOAD_ERROR));
    EXPECT_EQ("server copy", ReadBytes(Remote(L"locked")));
    EXPECT_EQ(startDir, CurrentDir());
}

TEST_F(UploadWorkerTest, CancelStopsTheUploadAndReturnsWhereItStarted) {
    WriteBytes(Local(L"big\\large.bin"), "");
    ASSERT_TRUE(WriteTestFile(Local(L"big\\large.bin"), 256 << 20, 3));
    bool started = false;
    recorder.onProgress = [&started](const DWORD*) { started = true; };
    TransferList items;
    items.AddTail(new TransferItem((L"D" + Local(L"big")).c_str()));
    ASSERT_EQ(S_OK, engine.StartUpload(items, recorder.GetHandle()));
    ClearTransferList(items);
    ASSERT_TRUE(PumpUntil([&started] { return started; }));

    DWORD start = GetTickCount();
    EXPECT_EQ(S_OK, engine.CancelUpload());
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(engine.IsBusy());
    EXPECT_EQ(1, recorder.Count(WM_UPLOAD_ENDED));
    EXPECT_EQ(startDir, CurrentDir());
    EXPECT_TRUE(std::filesystem::exists(Remote(L"big\\large.bin")));  // no delete is sent
}

}  // namespace
