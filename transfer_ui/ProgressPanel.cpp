#include "transfer_ui/ProgressPanel.h"

#include <commctrl.h>

#include <cwchar>

#include "framework/TextUtil.h"
#include "resources/resource.h"
#include "transfer_ui/ProgressText.h"

namespace {

const size_t kItemCapacity = 512;

}  // namespace

ProgressPanel::ProgressPanel(int currentItemId, UINT buttonMessage)
    : currentItemId(currentItemId),
      buttonMessage(buttonMessage),
      sessionLabel(),
      hostLabel(),
      userLabel() {}

BOOL ProgressPanel::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SendMessageW(GetItem(IDC_PROGRESS_FILE_BAR), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        ShowLabels();
        OnInitPanel();
    } else if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        WPARAM button = LOWORD(wParam) == IDOK ? panelDone : panelCancel;
        SendMessageW(GetParent(handle), buttonMessage, button, 0);
        return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}

void ProgressPanel::SetLabels(const wchar_t* session, const wchar_t* host, const wchar_t* user) {
    CopyTextCut(sessionLabel, session);
    CopyTextCut(hostLabel, host);
    CopyTextCut(userLabel, user);
    if (hwnd) ShowLabels();
}

void ProgressPanel::ShowLabels() {
    SetDlgItemTextW(hwnd, IDC_PROGRESS_SESSION, sessionLabel);
    SetDlgItemTextW(hwnd, IDC_PROGRESS_HOST, hostLabel);
    SetDlgItemTextW(hwnd, IDC_PROGRESS_USER, userLabel);
}

void ProgressPanel::ShowFile(const wchar_t* name) { ShowItem(name, L" [File]"); }

void ProgressPanel::ShowItem(const wchar_t* name, const wchar_t* kind) {
    HWND item = GetItem(currentItemId);
    HWND bar = GetItem(IDC_PROGRESS_FILE_BAR);
    if (!item || !bar) return;
    wchar_t text[kItemCapacity + 16];
    CopyTextCut(text, kItemCapacity, name);
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

void ProgressPanel::SetItemNumber(int id, ULONGLONG value) {
    wchar_t text[24];
    swprintf(text, 24, L"%llu", value);
    SetDlgItemTextW(hwnd, id, text);
}

void ProgressPanel::SetButtonMode(int mode) {
    bool done = mode == panelDone;
    ShowWindow(GetItem(IDOK), done ? SW_SHOW : SW_HIDE);
    ShowWindow(GetItem(IDCANCEL), done ? SW_HIDE : SW_SHOW);
}

// ---- Stand-in for the end report: the lines are kept, not yet shown. ----
void ProgressPanel::AddReportLine(const std::wstring& line) { reportLines.push_back(line); }
// ---- End of the stand-in. ----
