#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "framework/OwnedHandle.h"
#include "ftp/TransferMessages.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "transfer_ui/TransferErrorDlg.h"
#include "transfer_ui/TransferPromptHost.h"

namespace {

// Stands in for the FTP view: holds the prompts as the view does, and can lose them.
class PromptWindow : public BaseWnd {
  public:
    PromptWindow() {
        RegisterProgramWindowClass(GetWinApp()->GetInstance(), L"PromptWindow");
        Create(L"PromptWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    }
    ~PromptWindow() override { DestroyWnd(); }

    std::unique_ptr<TransferPrompts> prompts = std::make_unique<TransferPrompts>(this);

  protected:
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (prompts && prompts->Handle(message, lParam)) return 0;
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
          reply(),
          done(false),
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
    PromptRequest::Reply reply;
    std::atomic<bool> done;
    std::thread worker;
};

const wchar_t* TitleOf(PromptRequest::Kind kind) {
    if (kind == PromptRequest::fileExists) return L"File exist";
    return kind == PromptRequest::transferType ? L"Transfer Type?"
                                               : L"";  // the error prompt has none
}

// Each prompt's answers, and "Don't ask again", which reaches the options on
// this (the window's) thread and comes back to the worker with the answer.
TEST(TransferPromptHostTest, EachPromptGivesItsAnswerAndKeepsItInTheOptionsWhenAsked) {
    GuiApp app;
    PromptWindow window;
    struct Case {
        PromptRequest::Kind kind;
        std::vector<int> clicks;
        DWORD value;
        bool keep;
    };
    for (const Case& round : {
             // "Don't ask again" starts ticked in "File exist", unticked in "Transfer Type?".
             Case{PromptRequest::fileExists, {IDC_FILE_EXISTS_SKIP}, existingSkip, true},
             Case{PromptRequest::fileExists,
                  {IDC_FILE_EXISTS_DONT_ASK, IDC_FILE_EXISTS_RESUME},
                  existingResume,
                  false},
             Case{PromptRequest::fileExists, {IDC_FILE_EXISTS_OVERWRITE}, existingOverwrite, true},
             Case{PromptRequest::transferType, {IDOK}, transferBinary, false},
             Case{PromptRequest::transferType,
                  {IDC_TRANSFER_TYPE_ASCII, IDC_TRANSFER_TYPE_DONT_ASK, IDOK},
                  transferAscii,
                  true},
             Case{PromptRequest::transferFailure, {IDC_TRANSFER_ERROR_RETRY}, answerRetry, false},
             Case{PromptRequest::transferFailure,
                  {IDC_TRANSFER_ERROR_IGNORE_ALL},
                  answerIgnoreAll,
                  false},
         }) {
        SCOPED_TRACE(round.clicks.back());
        app.options.SetExistingFileOption(existingPrompt);
        app.options.SetTransferType(transferPrompt);
        DialogDriver driver;
        driver.On(TitleOf(round.kind), Pressing(round.clicks));
        WorkerQuestion question(window, round.kind, 99);
        PromptRequest::Reply reply = question.Reply();
        EXPECT_EQ(1, driver.Count(TitleOf(round.kind)));
        EXPECT_EQ(round.value, reply.value);
        EXPECT_EQ(round.keep, reply.keep);
        if (round.kind == PromptRequest::transferFailure) continue;
        bool existing = round.kind == PromptRequest::fileExists;
        DWORD asking = existing ? DWORD(existingPrompt) : DWORD(transferPrompt);
        EXPECT_EQ(round.keep ? round.value : asking,
                  existing ? app.options.GetExistingFileOption() : app.options.GetTransferType());
    }
}

// The window going while its prompt is open (its view closed) ends the prompt
// and answers the worker with the fallback; a cancel ends the worker's wait
// while the prompt still shows, and the late answer then touches nothing freed;
// a question whose worker was cancelled before it arrived is not shown.
TEST(TransferPromptHostTest, ClosingOrCancellingNeverLeavesTheWorkerWaiting) {
    GuiApp app;
    app.options.SetExistingFileOption(existingPrompt);
    PromptWindow window;
    DialogDriver driver;
    HWND shown = nullptr;
    driver.On(L"File exist", [&](HWND prompt) {
        shown = prompt;
        window.prompts.reset();
    });
    PromptRequest::Reply reply = WorkerQuestion(window, PromptRequest::fileExists, 77).Reply();
    EXPECT_EQ(77u, reply.value);
    EXPECT_FALSE(reply.keep);
    EXPECT_TRUE(shown && !IsWindow(shown));
    EXPECT_EQ(DWORD(existingPrompt), app.options.GetExistingFileOption());

    window.prompts = std::make_unique<TransferPrompts>(&window);
    OwnedHandle cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::unique_ptr<WorkerQuestion> question;
    bool endedWhileShown = false;
    driver.On(TitleOf(PromptRequest::transferFailure), [&](HWND prompt) {
        SetEvent(cancel.Get());
        endedWhileShown = PumpUntil([&] { return question->Done(); }) && IsWindow(prompt);
        Click(prompt, IDC_TRANSFER_ERROR_RETRY);
    });
    question = std::make_unique<WorkerQuestion>(window, PromptRequest::transferFailure, answerAbort,
                                                cancel.Get());
    EXPECT_EQ(DWORD(answerAbort), question->Reply().value);
    EXPECT_TRUE(endedWhileShown);
    EXPECT_EQ(1, driver.Count(TitleOf(PromptRequest::transferFailure)));

    // Cancelled before the window took it: nothing is shown.
    driver.On(L"File exist", Pressing({IDC_FILE_EXISTS_OVERWRITE}));
    reply = WorkerQuestion(window, PromptRequest::fileExists, existingSkip, cancel.Get()).Reply();
    EXPECT_EQ(1, driver.Count(L"File exist"));
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
