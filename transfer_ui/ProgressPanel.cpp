#include "transfer_ui/ProgressPanel.h"

#include <commctrl.h>

#include <cwchar>

#include "browsers/BrowseWnd.h"
#include "framework/CWinApp.h"
#include "framework/TextUtil.h"
#include "resources/resource.h"
#include "transfer_ui/ProgressText.h"

ProgressPanel::ProgressPanel(int currentItemId, UINT buttonMessage)
    : currentItemId(currentItemId), buttonMessage(buttonMessage) {}

BOOL ProgressPanel::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SendMessageW(GetItem(IDC_PROGRESS_FILE_BAR), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        ShowHostView();
        OnInitPanel();
    } else if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        WPARAM button = LOWORD(wParam) == IDOK ? panelDone : panelCancel;
        SendMessageW(GetParent(handle), buttonMessage, button, 0);
        return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}

// The session, host and user come from the view the panel was created in.
void ProgressPanel::ShowHostView() {
    CWinApp* app = GetWinApp();
    BaseWnd* parent = app ? app->LookupWindow(GetParent(hwnd)) : nullptr;
    BrowseWnd* view = dynamic_cast<BrowseWnd*>(parent);
    if (!view) return;
    SetDlgItemTextW(hwnd, IDC_PROGRESS_SESSION, view->GetSessionName());
    SetDlgItemTextW(hwnd, IDC_PROGRESS_HOST, view->GetHost());
    SetDlgItemTextW(hwnd, IDC_PROGRESS_USER, view->GetUser());
}

void ProgressPanel::ShowFile(const wchar_t* name) { ShowItem(name, L" [File]"); }

void ProgressPanel::ShowItem(const wchar_t* name, const wchar_t* kind) {
    HWND item = GetItem(currentItemId);
    HWND bar = GetItem(IDC_PROGRESS_FILE_BAR);
    if (!item || !bar) return;
    wchar_t text[BrowseWnd::kNameCapacity + 16];
    CopyTextCut(text, BrowseWnd::kNameCapacity, name);
    AppendText(text, kind);
    SetWindowTextW(item, text);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
}

void ProgressPanel::ShowFigures(const PanelFigures& figures) {
    HWND bar = GetItem(IDC_PROGRESS_FILE_BAR);
    if (!bar) return;
    SendMessageW(bar, PBM_SETPOS, FilePercent(figures.currentFileBytes, figures.currentFileSize),
                 0);
    wchar_t text[128];
    FormatFileProgress(text, 128, figures.currentFileBytes, figures.currentFileSize,
                       figures.totalBytes, figures.elapsedMs);
    SetDlgItemTextW(hwnd, IDC_PROGRESS_FILE_TEXT, text);
    SetItemNumber(IDC_PROGRESS_FILE_COUNT, figures.filesDone);
    SetItemNumber(IDC_PROGRESS_BYTE_COUNT, figures.totalBytes);
    SetItemNumber(IDC_PROGRESS_DIR_COUNT, figures.folders);
    ShowFailures(figures.failures);
}

// Blank while nothing failed.
void ProgressPanel::ShowFailures(const FailureCounts& failures) {
    wchar_t text[64] = L"";
    if (failures.runFailed)
        swprintf(text, 64, L"Failed: the connection was lost");
    else if (failures.files || failures.folders)
        swprintf(text, 64, L"Failed: %lu files, %lu folders",
                 static_cast<unsigned long>(failures.files),
                 static_cast<unsigned long>(failures.folders));
    SetDlgItemTextW(hwnd, IDC_PROGRESS_FAILURES, text);
}

void ProgressPanel::SetItemNumber(int id, DWORD value) {
    wchar_t text[16];
    swprintf(text, 16, L"%lu", static_cast<unsigned long>(value));
    SetDlgItemTextW(hwnd, id, text);
}

void ProgressPanel::SetButtonMode(int mode) {
    bool done = mode == panelDone;
    ShowWindow(GetItem(IDOK), done ? SW_SHOW : SW_HIDE);
    ShowWindow(GetItem(IDCANCEL), done ? SW_HIDE : SW_SHOW);
}
