#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <thread>

#include "ftp/TransferMessages.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "transfer_ui/TransferErrorDlg.h"

namespace {

// The decisions run on a thread of their own, as in a transfer, while the
// test thread answers their prompts. Returns the decision and the prompts shown.
std::pair<DWORD, int> Decide(const std::function<DWORD()>& decision, const std::wstring& caption,
                             DialogDriver::Action answer) {
    DialogDriver driver;
    driver.On(caption, std::move(answer));
    DWORD result = 0;
    bool done = false;
    std::thread worker([&] {
        result = decision();
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&done] { return done; }));
    worker.join();
    return {result, driver.Count(caption)};
}

// What each answer and the "Don't ask again" box store runs through the transfer workers' tests.
TEST(TransferDecisionsTest, ResumeIsOfferedAndUnknownTypesPassThrough) {
    GuiApp app;
    auto existing = [&app] { return app.options.ChooseExistingFileAction(L"File x", nullptr); };
    auto type = [&app] { return app.options.ChooseTransferType(L"x", nullptr); };
    app.options.SetExistingFileOption(existingPrompt);
    bool resumeEnabled = false;
    auto skip = [&resumeEnabled](HWND prompt) {
        resumeEnabled = IsItemEnabled(prompt, IDC_FILE_EXISTS_RESUME);
        Click(prompt, IDC_FILE_EXISTS_SKIP);
    };
    EXPECT_EQ(std::make_pair(DWORD(existingSkip), 1), Decide(existing, L"File exist", skip));
    EXPECT_TRUE(resumeEnabled);
    // A stored code outside the known ones opens with flags that name no type.
    app.options.SetTransferType(7);
    EXPECT_EQ(std::make_pair(DWORD(0xFFFFFFFF), 0),
              Decide(type, L"Transfer Type?", Pressing({IDOK})));
}

TEST(TransferErrorDlgTest, EachButtonGivesItsAnswer) {
    GuiApp app;
    for (auto [button, answer] : {std::pair<int, LRESULT>{IDC_TRANSFER_ERROR_RETRY, answerRetry},
                                  {IDC_TRANSFER_ERROR_IGNORE, answerIgnore},
                                  {IDC_TRANSFER_ERROR_ABORT, answerAbort},
                                  {IDC_TRANSFER_ERROR_IGNORE_ALL, answerIgnoreAll}}) {
        DialogDriver answerer(Pressing({button}));
        EXPECT_EQ(answer, TransferErrorDlg::Ask(nullptr, L"Can't download file x"));
    }
}

TEST(TransferErrorDlgTest, ALongMessageWidensThePromptAndTheReasonGoesBelowIt) {
    GuiApp app;
    std::wstring longText = L"Can't download file " + std::wstring(300, L'w');
    std::wstring reason = L"550 Permission denied.\nsecond line";
    RECT rects[3][4];  // per message: the text, the Retry button, the dialog, the reason
    std::wstring texts[3] = {L"Can't upload file a", longText, L"Can't upload file a\n" + reason};
    for (int i = 0; i < 3; ++i) {
        TransferErrorDlg dialog;
        dialog.SetMessage(texts[i].c_str());
        ASSERT_TRUE(dialog.CreateModeless(IDD_TRANSFER_ERROR, nullptr));
        GetWindowRect(dialog.GetItem(IDC_TRANSFER_ERROR_MESSAGE), &rects[i][0]);
        GetWindowRect(dialog.GetItem(IDC_TRANSFER_ERROR_RETRY), &rects[i][1]);
        dialog.GetWindowRect(&rects[i][2]);
        GetWindowRect(dialog.GetItem(IDC_TRANSFER_ERROR_REASON), &rects[i][3]);
        EXPECT_EQ(texts[i].substr(0, texts[i].find(L'\n')),
                  ItemText(dialog.GetHandle(), IDC_TRANSFER_ERROR_MESSAGE));
        EXPECT_EQ(i == 2 ? reason : L"", ItemText(dialog.GetHandle(), IDC_TRANSFER_ERROR_REASON));
        dialog.DestroyDlg();
    }
    // One line whatever the length; a long text widens the prompt, never past the screen.
    auto width = [](const RECT& r) { return r.right - r.left; };
    auto height = [](const RECT& r) { return r.bottom - r.top; };
    RECT workArea;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    EXPECT_EQ(height(rects[0][0]), height(rects[1][0]));
    EXPECT_GT(width(rects[1][2]), width(rects[0][2]));
    EXPECT_GE(rects[1][2].left, workArea.left);
    EXPECT_LE(rects[1][2].right, workArea.right);
    // The reason's two lines stand between the failure and the buttons, which move down.
    EXPECT_GE(rects[2][3].top, rects[2][0].bottom);
    EXPECT_GE(height(rects[2][3]), 2 * height(rects[2][0]));
    EXPECT_GE(rects[2][1].top, rects[2][3].bottom);
    EXPECT_EQ(height(rects[2][2]), height(rects[0][2]) + height(rects[2][3]));
}

}  // namespace
