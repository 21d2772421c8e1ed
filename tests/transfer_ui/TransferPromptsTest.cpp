#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <map>
#include <string>
#include <thread>

#include "ftp/TransferMessages.h"
#include "resources/resource.h"
#include "support/DialogAnswerer.h"
#include "support/GuiApp.h"
#include "support/PromptAnswerer.h"
#include "transfer_ui/TransferErrorDlg.h"

namespace {

// The decisions run on a thread of their own, as they do in a transfer, while
// the test thread answers their prompts.
class TransferPromptsTest : public ::testing::Test {
  protected:
    DWORD OnWorker(const std::function<DWORD()>& decision, const PromptAnswer& answer) {
        DWORD result = 0;
        bool done = false;
        std::thread worker([&] {
            result = decision();
            done = true;
        });
        EXPECT_TRUE(PumpUntil([&done] { return done; }, {answer}, &answered));
        worker.join();
        return result;
    }

    DWORD ExistingFileAction(const PromptAnswer& answer) {
        return OnWorker(
            [this] { return app.options.ChooseExistingFileAction(L"File x exists.", nullptr); },
            answer);
    }

    DWORD TransferType(const PromptAnswer& answer) {
        return OnWorker([this] { return app.options.ChooseTransferType(L"notes.txt", nullptr); },
                        answer);
    }

    GuiApp app;
    std::map<std::wstring, int> answered;
};

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[600] = L"";
    GetDlgItemTextW(dialog, id, text, 600);
    return text;
}

TEST_F(TransferPromptsTest, FileExistsAnswerIsKeptWhileDontAskStaysTicked) {
    struct Case {
        std::vector<int> clicks;
        DWORD action, storedAfter;
    };
    // Toggling the box leaves the prompt open; only a button closes it.
    for (const Case& round :
         {Case{{IDC_FILE_EXISTS_OVERWRITE}, existingOverwrite, existingOverwrite},
          Case{{IDC_FILE_EXISTS_DONT_ASK, IDC_FILE_EXISTS_SKIP}, existingSkip, existingPrompt},
          Case{{IDC_FILE_EXISTS_DONT_ASK, IDC_FILE_EXISTS_DONT_ASK, IDC_FILE_EXISTS_SKIP},
               existingSkip,
               existingSkip}}) {
        app.options.SetExistingFileOption(existingPrompt);
        bool resumeEnabled = true, ticked = false;
        std::wstring shown;
        PromptAnswer answer{L"File exist", round.clicks, [&](HWND prompt) {
                                resumeEnabled =
                                    IsWindowEnabled(GetDlgItem(prompt, IDC_FILE_EXISTS_RESUME));
                                ticked = IsDlgButtonChecked(prompt, IDC_FILE_EXISTS_DONT_ASK);
                                shown = ItemText(prompt, IDC_FILE_EXISTS_MESSAGE);
                            }};
        EXPECT_EQ(round.action, ExistingFileAction(answer));
        EXPECT_EQ(round.storedAfter, app.options.GetExistingFileOption());
        EXPECT_FALSE(resumeEnabled);
        EXPECT_TRUE(ticked);
        EXPECT_EQ(L"File x exists.", shown);
    }
    // A kept answer, and any stored code but "prompt", asks nothing.
    answered.clear();
    for (DWORD code :
         {DWORD(existingResume), DWORD(existingSkip), DWORD(existingOverwrite), DWORD(7)}) {
        app.options.SetExistingFileOption(code);
        EXPECT_EQ(code, ExistingFileAction({L"File exist", {IDC_FILE_EXISTS_SKIP}}));
    }
    EXPECT_EQ(0, answered[L"File exist"]);
}

TEST_F(TransferPromptsTest, TransferTypeIsBinaryUnlessAsciiIsChosen) {
    struct Case {
        std::vector<int> clicks;
        DWORD type, storedAfter;
    };
    for (const Case& round :
         {Case{{IDOK}, FTP_TRANSFER_TYPE_BINARY, transferPrompt},
          Case{{IDC_TRANSFER_TYPE_ASCII, IDOK}, FTP_TRANSFER_TYPE_ASCII, transferPrompt},
          Case{
              {IDC_TRANSFER_TYPE_ASCII, IDC_TRANSFER_TYPE_BINARY, IDC_TRANSFER_TYPE_DONT_ASK, IDOK},
              FTP_TRANSFER_TYPE_BINARY,
              transferBinary},
          Case{{IDC_TRANSFER_TYPE_ASCII, IDC_TRANSFER_TYPE_DONT_ASK, IDOK},
               FTP_TRANSFER_TYPE_ASCII,
               transferAscii}}) {
        app.options.SetTransferType(transferPrompt);
        std::wstring shown;
        PromptAnswer answer{L"Transfer Type?", round.clicks, [&shown](HWND prompt) {
                                shown = ItemText(prompt, IDC_TRANSFER_TYPE_MESSAGE);
                            }};
        EXPECT_EQ(round.type, TransferType(answer));
        EXPECT_EQ(round.storedAfter, app.options.GetTransferType());
        EXPECT_EQ(L"Please select a transfer type for notes.txt...", shown);
    }
    answered.clear();
    struct Stored {
        DWORD code, type;
    };
    for (Stored stored :
         {Stored{transferAscii, FTP_TRANSFER_TYPE_ASCII},
          Stored{transferBinary, FTP_TRANSFER_TYPE_BINARY}, Stored{7, 0xFFFFFFFF}}) {
        app.options.SetTransferType(stored.code);
        EXPECT_EQ(stored.type, TransferType({L"Transfer Type?", {IDOK}}));
    }
    EXPECT_EQ(0, answered[L"Transfer Type?"]);
}

TEST(TransferErrorDlgTest, EachButtonGivesItsAnswer) {
    GuiApp app;
    struct Case {
        int button;
        LRESULT answer;
    };
    for (Case round : {Case{IDC_TRANSFER_ERROR_RETRY, answerRetry},
                       Case{IDC_TRANSFER_ERROR_IGNORE, answerIgnore},
                       Case{IDC_TRANSFER_ERROR_ABORT, answerAbort},
                       Case{IDC_TRANSFER_ERROR_IGNORE_ALL, answerIgnoreAll}}) {
        DialogAnswerer answerer(round.button);
        EXPECT_EQ(round.answer, TransferErrorDlg::Ask(nullptr, L"Can't download file x"));
        EXPECT_EQ(1, answerer.Count());
    }
}

// The prompt's rectangles, in the dialog's client coordinates.
struct Layout {
    RECT text, retry, client;
    std::wstring shown;
};

Layout LayoutFor(const wchar_t* message) {
    TransferErrorDlg dialog;
    dialog.SetMessage(message);
    EXPECT_TRUE(dialog.CreateModeless(IDD_TRANSFER_ERROR, nullptr));
    HWND handle = dialog.GetHandle();
    Layout layout;
    for (auto [id, rect] : {std::pair<int, RECT*>{IDC_TRANSFER_ERROR_MESSAGE, &layout.text},
                            std::pair<int, RECT*>{IDC_TRANSFER_ERROR_RETRY, &layout.retry}}) {
        GetWindowRect(GetDlgItem(handle, id), rect);
        MapWindowPoints(nullptr, handle, reinterpret_cast<POINT*>(rect), 2);
    }
    GetClientRect(handle, &layout.client);
    layout.shown = ItemText(handle, IDC_TRANSFER_ERROR_MESSAGE);
    dialog.DestroyDlg();
    return layout;
}

TEST(TransferErrorDlgTest, MessageTakesOneLineAndTheDialogFitsIt) {
    GuiApp app;
    std::wstring longText = L"Can't download file " + std::wstring(300, L'w') + L" end";
    Layout shortLayout = LayoutFor(L"Can't upload file a");
    Layout longLayout = LayoutFor(longText.c_str());

    EXPECT_EQ(longText, longLayout.shown);
    // A long text is clipped at the control's width, never given a second line.
    EXPECT_EQ(shortLayout.text.right - shortLayout.text.left,
              longLayout.text.right - longLayout.text.left);
    EXPECT_EQ(shortLayout.text.bottom - shortLayout.text.top,
              longLayout.text.bottom - longLayout.text.top);
    // The dialog ends where it did in the template below the buttons, which keep their gap to the
    // text.
    for (const Layout& layout : {shortLayout, longLayout}) {
        RECT units = {0, 0, 7, 4};  // text-to-button gap, button-to-edge gap
        HWND probe = CreateDialogParamW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TRANSFER_ERROR), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0);
        MapDialogRect(probe, &units);
        DestroyWindow(probe);
        EXPECT_NEAR(units.right, layout.retry.top - layout.text.bottom, 1);
        EXPECT_NEAR(units.bottom, layout.client.bottom - layout.retry.bottom, 1);
    }
}

}  // namespace
