#include "ftp/TransferWalk.h"

#include <cwchar>

#include "app/FtpClientApp.h"
#include "ftp/TransferMessages.h"

TransferWalk::TransferWalk(FtpFS& ftp, WorkerState& state, UINT message)
    : FolderWalk(ftp, state.items),
      engineState(state),
      errorMessage(message),
      startTick(GetTickCount()),
      lastProgressTick(0) {}

bool TransferWalk::Run() {
    Walk(engineState.savedDir);
    ReportProgress(true);
    // A cancel reconnects and goes back by itself; the connection is not ours then.
    if (!Cancelled()) ReturnToStart();
    return Cancelled();
}

void TransferWalk::FolderLeft(Node* node, bool) {
    LocalFolderLeft();
    DropItem(node);
}

void TransferWalk::Failed(Node* node, const wchar_t* format, const wchar_t* subject) {
    if (Cancelled()) return;
    if (engineState.ignoreAll) {
        DropItem(node);
        return;
    }
    switch (Ask(format, subject)) {
        case answerIgnore:
            DropItem(node);
            break;
        case answerAbort:
            aborted = true;
            break;
        case answerIgnoreAll:
            engineState.ignoreAll = true;
            break;
        default:
            break;
    }
}

bool TransferWalk::RetryBlock(const wchar_t* format, const wchar_t* subject) {
    if (Cancelled() || engineState.ignoreAll) return false;
    switch (Ask(format, subject)) {
        case answerRetry:
            return true;
        case answerAbort:
            aborted = true;
            return false;
        case answerIgnoreAll:
            engineState.ignoreAll = true;
            return false;
        default:
            return false;
    }
}

TransferAnswer TransferWalk::Ask(const wchar_t* format, const wchar_t* subject) {
    wchar_t text[FtpFS::kTextCapacity + 64];
    _snwprintf_s(text, _TRUNCATE, format, subject);
    // A cancel may have come while the failure was found: ask nothing then.
    if (Cancelled()) return answerIgnore;
    // A view closed in the middle of the run cannot answer; its 0 would mean Retry, for ever.
    if (!IsWindow(engineState.notifyWindow)) return answerAbort;
    return static_cast<TransferAnswer>(
        SendMessageW(engineState.notifyWindow, errorMessage, reinterpret_cast<WPARAM>(text), 0));
}

void TransferWalk::Notify(UINT message, WPARAM wParam, LPARAM lParam) {
    if (engineState.notifyWindow) SendMessageW(engineState.notifyWindow, message, wParam, lParam);
}

BaseWnd* TransferWalk::PromptOwner() {
    FtpClientApp* app = GetApp();
    return app ? app->LookupWindow(engineState.notifyWindow) : nullptr;
}

bool TransferWalk::ProgressDue(bool force) {
    DWORD now = GetTickCount();
    if (!force && now - lastProgressTick < kProgressIntervalMs) return false;
    lastProgressTick = now;
    return true;
}
