#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <thread>

#include "framework/OwnedHandle.h"
#include "ftp/TransferMessages.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "transfer_ui/TransferErrorDlg.h"
#include "transfer_ui/TransferPromptHost.h"

namespace {

// Stands in for the FTP view: holds the prompts as the view does.
class PromptWindow : public BaseWnd {
  public:
    PromptWindow() {
        RegisterProgramWindowClass(GetWinApp()->GetInstance(), L"PromptWindow");
        Create(L"PromptWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    }
    ~PromptWindow() override { DestroyWnd(); }

    TransferPrompts prompts{this};

  protected:
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (prompts.Handle(message, lParam)) return 0;
        return BaseWnd::OnWindowMessage(handle, message, wParam, lParam);
    }
};

// A worker's question, asked from a thread of its own while the test thread
// serves the window.
class WorkerQuestion {
  public:
    WorkerQuestion(PromptWindow& window, PromptRequest::Kind kind, DWORD fallback,
                   HANDLE cancel = nullptr)
        : request(std::make_shared<PromptRequest>(kind, L"File x exists.", fallback)),
          worker([=, &window] {
              UINT message = kind == PromptRequest::transferFailure ? WM_APP_UPLOAD_ERROR
                                                                    : WM_APP_TRANSFER_PROMPT;
              reply = PromptRequest::Ask(request, window.GetHandle(), message, cancel);
              done = true;
          }) {}
    ~WorkerQuestion() { worker.join(); }

    bool Done() const { return done; }
    PromptRequest::Reply Reply() {
        EXPECT_TRUE(PumpUntil([this] { return Done(); }));
        return reply;
    }

  private:
    PromptRequest::Shared request;
    PromptRequest::Reply reply{};
    std::atomic<bool> done{false};
    std::thread worker;  // last: it starts once the others are made
};

// The error prompt's buttons reach the worker, which asks from a thread of its
// own. The other prompts' answers, and what "Don't ask again" keeps, run
// through the workers' tests; a prompt whose view closes, through the view's.
TEST(TransferPromptHostTest, TheErrorPromptsButtonsReachTheWorker) {
    GuiApp app;
    PromptWindow window;
    for (auto [button, answer] : {std::pair<int, DWORD>{IDC_TRANSFER_ERROR_RETRY, answerRetry},
                                  {IDC_TRANSFER_ERROR_IGNORE_ALL, answerIgnoreAll}}) {
        SCOPED_TRACE(button);
        DialogDriver driver(Pressing({button}));  // the prompt has no title
        PromptRequest::Reply reply =
            WorkerQuestion(window, PromptRequest::transferFailure, 99).Reply();
        EXPECT_EQ(1, driver.Count());
        EXPECT_EQ(answer, reply.value);
        EXPECT_FALSE(reply.keep);
    }
}

// A cancel ends the worker's wait while the prompt still shows, and the late
// answer then touches nothing freed; a question whose worker was cancelled
// before it arrived is not shown.
TEST(TransferPromptHostTest, ACancelNeverLeavesTheWorkerWaiting) {
    GuiApp app;
    app.options.SetExistingFileOption(existingPrompt);
    PromptWindow window;
    DialogDriver driver;
    OwnedHandle cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::unique_ptr<WorkerQuestion> question;
    bool endedWhileShown = false;
    driver.On(L"", [&](HWND prompt) {
        SetEvent(cancel.Get());
        endedWhileShown = PumpUntil([&] { return question->Done(); }) && IsWindow(prompt);
        Click(prompt, IDC_TRANSFER_ERROR_RETRY);
    });
    question = std::make_unique<WorkerQuestion>(window, PromptRequest::transferFailure, answerAbort,
                                                cancel.Get());
    EXPECT_EQ(DWORD(answerAbort), question->Reply().value);
    EXPECT_TRUE(endedWhileShown);
    EXPECT_EQ(1, driver.Count(L""));

    // Cancelled before the window took it: nothing is shown.
    driver.On(L"File exist", Pressing({IDC_FILE_EXISTS_OVERWRITE}));
    PromptRequest::Reply reply =
        WorkerQuestion(window, PromptRequest::fileExists, existingSkip, cancel.Get()).Reply();
    EXPECT_EQ(0, driver.Count(L"File exist"));
    EXPECT_EQ(DWORD(existingSkip), reply.value);
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
