#include "transfer_ui/TransferPromptHost.h"

#include "app/FtpClientApp.h"
#include "ftp/TransferMessages.h"
#include "resources/resource.h"
#include "transfer_ui/FileExistsDlg.h"
#include "transfer_ui/TransferErrorDlg.h"
#include "transfer_ui/TransferTypeDlg.h"

TransferPromptHost::TransferPromptHost(BaseWnd* window)
    : owner(window), open(nullptr), closed(false) {}

bool TransferPromptHost::IsPromptMessage(UINT message) {
    return message == WM_APP_TRANSFER_PROMPT || message == WM_APP_DOWNLOAD_ERROR ||
           message == WM_APP_UPLOAD_ERROR;
}

void TransferPromptHost::Take(LPARAM posted) {
    PromptRequest::Shared request = PromptRequest::Take(posted);
    if (!request) return;
    if (closed) {
        request->Answer(request->GetFallback(), false);
        return;
    }
    waiting.push_back(std::move(request));
    // Called again from the open prompt's loop: the question waits its turn.
    if (!current) AskWaiting();
}

// The window may be deleted inside a prompt's loop: this host lives on
// through the reference held here, and asks nothing more once closed.
void TransferPromptHost::AskWaiting() {
    std::shared_ptr<TransferPromptHost> self = shared_from_this();
    while (!closed && !waiting.empty()) {
        current = std::move(waiting.front());
        waiting.pop_front();
        AskOne(*current);
        current.reset();
    }
}

// A cancelled worker asks no one.
void TransferPromptHost::AskOne(PromptRequest& request) {
    if (request.IsAbandoned()) return;
    bool keep = false;
    DWORD value = Show(request, &keep);
    if (closed) return;  // answered by Close
    if (keep) KeepInOptions(request.GetKind(), value);
    request.Answer(value, keep);
}

DWORD TransferPromptHost::Show(const PromptRequest& request, bool* keep) {
    const wchar_t* text = request.GetText().c_str();
    switch (request.GetKind()) {
        case PromptRequest::fileExists: {
            FileExistsDlg dialog;
            dialog.SetMessage(text);
            DWORD action = FileExistsDlg::ActionOf(RunModal(dialog, IDD_FILE_EXISTS));
            *keep = dialog.GetDontAsk();
            return action;
        }
        case PromptRequest::transferType: {
            TransferTypeDlg dialog;
            dialog.SetMessage(text);
            RunModal(dialog, IDD_TRANSFER_TYPE);
            *keep = dialog.GetDontAsk();
            return dialog.GetType();
        }
        default: {
            TransferErrorDlg dialog;
            dialog.SetMessage(text);
            return static_cast<DWORD>(
                TransferErrorDlg::AnswerOf(RunModal(dialog, IDD_TRANSFER_ERROR)));
        }
    }
}

INT_PTR TransferPromptHost::RunModal(BaseDlg& dialog, int resourceId) {
    open = &dialog;
    INT_PTR button = dialog.RunModal(resourceId, owner);
    open = nullptr;
    return button;
}

// Saved at once, as the Options dialog saves: a crash loses no answer.
void TransferPromptHost::KeepInOptions(PromptRequest::Kind kind, DWORD value) {
    FtpClientApp* app = GetApp();
    if (!app) return;
    if (kind == PromptRequest::fileExists) app->options.SetExistingFileOption(value);
    if (kind == PromptRequest::transferType) app->options.SetTransferType(value);
    app->SaveOptions();
}

void TransferPromptHost::Close() {
    closed = true;
    if (open && open->GetHandle()) open->EndWithResult(IDCANCEL);
    if (current) current->Answer(current->GetFallback(), false);
    for (const PromptRequest::Shared& request : waiting)
        request->Answer(request->GetFallback(), false);
    waiting.clear();
}

TransferPrompts::TransferPrompts(BaseWnd* owner)
    : host(std::make_shared<TransferPromptHost>(owner)) {}

TransferPrompts::~TransferPrompts() { host->Close(); }

// The host is held here, not through this object, which may go meanwhile.
bool TransferPrompts::Handle(UINT message, LPARAM lParam) {
    if (!TransferPromptHost::IsPromptMessage(message)) return false;
    std::shared_ptr<TransferPromptHost> held = host;
    held->Take(lParam);
    return true;
}
