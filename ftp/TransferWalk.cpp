#include "ftp/TransferWalk.h"

#include <cwchar>

#include "app/FtpClientApp.h"
#include "framework/TextUtil.h"
#include "ftp/ServerReason.h"
#include "ftp/TransferMessages.h"

namespace {
bool IsFolderItem(const TransferItem* item) { return item->GetText()[0] == L'D'; }
}  // namespace

TransferWalk::TransferWalk(FtpFS& ftp, WorkerState& state, UINT message)
    : engine(ftp),
      engineState(state),
      errorMessage(message),
      currentPath(),
      startTick(GetTickCount()),
      lastProgressTick(0),
      aborted(false) {}

TransferWalk::~TransferWalk() {
    while (!marks.IsEmpty()) delete marks.RemoveTail();
}

bool TransferWalk::Run() {
    CopyText(currentPath, engineState.savedDir);
    while (!engineState.items.IsEmpty() && !Cancelled() && !aborted) {
        Node* node = engineState.items.GetTail();
        if (!marks.IsEmpty() && marks.GetTail()->element->item == node) {
            LeaveRemoteFolder();
            FolderLeft();
            DropItem(node);
        } else if (IsFolderItem(node->element)) {
            EnterFolder(node);
        } else {
            TransferFile(node);
        }
    }
    // A cancel reconnects and goes back by itself; the connection is not ours then.
    if (!Cancelled()) ReturnToStart();
    return Cancelled();
}

// Only an abort, or a parent that could not be reached, leaves the walk elsewhere.
void TransferWalk::ReturnToStart() {
    bool inside = !marks.IsEmpty() || wcscmp(currentPath, engineState.savedDir) != 0;
    while (!marks.IsEmpty()) delete marks.RemoveTail();
    if (inside) engine.SetCurrentDir(engineState.savedDir);
}

bool TransferWalk::EnterRemoteFolder(Node* node, const wchar_t* name) {
    // Without the parent's path the folder could not be left safely.
    if (!currentPath[0] || FAILED(engine.SetCurrentDir(name))) return false;
    wchar_t folderPath[FtpFS::kTextCapacity];
    DWORD length = FtpFS::kTextCapacity;
    if (FAILED(engine.GetCurrentDir(folderPath, &length))) {
        if (FAILED(engine.SetCurrentDir(currentPath))) aborted = true;
        return false;
    }
    marks.AddTail(new FolderMark{node, currentPath});
    CopyText(currentPath, folderPath);
    return true;
}

void TransferWalk::LeaveRemoteFolder() {
    FolderMark* mark = marks.RemoveTail();
    if (SUCCEEDED(engine.SetCurrentDir(mark->parentPath.GetText())))
        CopyText(currentPath, mark->parentPath.GetText());
    else
        aborted = true;  // nowhere known to go on from
    delete mark;
}

void TransferWalk::AddItem(bool folder, const wchar_t* text) {
    engineState.items.AddTail(new TransferItem(MakeTransferItem(folder ? L'D' : L'F', text)));
}

void TransferWalk::DropItem(Node* node) {
    delete node->element;
    engineState.items.RemoveNode(node);
}

// The server's reason is taken first: anything sent after the failure would replace its reply.
void TransferWalk::Failed(Node* node, const wchar_t* format, const wchar_t* subject) {
    std::wstring reason = TakeServerReason();
    if (Cancelled()) return;
    if (engineState.ignoreAll) {
        DropItem(node);
        return;
    }
    switch (Ask(format, subject, reason)) {
        case answerIgnore:
            DropItem(node);
            break;
        case answerAbort:
            aborted = true;
            break;
        case answerIgnoreAll:
            engineState.ignoreAll = 1;
            break;
        default:
            break;
    }
}

bool TransferWalk::RetryBlock(const wchar_t* format, const wchar_t* subject) {
    std::wstring reason = TakeServerReason();
    if (Cancelled() || engineState.ignoreAll) return false;
    switch (Ask(format, subject, reason)) {
        case answerRetry:
            return true;
        case answerAbort:
            aborted = true;
            return false;
        case answerIgnoreAll:
            engineState.ignoreAll = 1;
            return false;
        default:
            return false;
    }
}

TransferAnswer TransferWalk::Ask(const wchar_t* format, const wchar_t* subject,
                                 const std::wstring& reason) {
    wchar_t failure[FtpFS::kTextCapacity + 64];
    _snwprintf_s(failure, _TRUNCATE, format, subject);
    std::wstring text = WithServerReason(failure, reason);
    // A cancel may have come while the failure was found: ask nothing then.
    if (Cancelled()) return answerIgnore;
    // A view closed in the middle of the run cannot answer; its 0 would mean Retry, for ever.
    if (!IsWindow(engineState.notifyWindow)) return answerAbort;
    return static_cast<TransferAnswer>(SendMessageW(engineState.notifyWindow, errorMessage,
                                                    reinterpret_cast<WPARAM>(text.c_str()), 0));
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
