#include "transfer_ui/FileExistsDlg.h"

#include "framework/TextUtil.h"
#include "resources/resource.h"
#include "settings/FtpOptions.h"

FileExistsDlg::FileExistsDlg() : message(), dontAsk(1) {
    CopyTextCut(message, L"File exists.  What would you like to do?");
}

DWORD FileExistsDlg::ActionOf(INT_PTR button) {
    switch (button) {
        case IDC_FILE_EXISTS_RESUME:
            return existingResume;
        case IDC_FILE_EXISTS_SKIP:
            return existingSkip;
        case IDC_FILE_EXISTS_OVERWRITE:
            return existingOverwrite;
        case IDC_FILE_EXISTS_IF_NEWER:
            return existingIfNewer;
        default:
            return existingPrompt;
    }
}

void FileExistsDlg::SetMessage(const wchar_t* text) { CopyTextCut(message, text); }

BOOL FileExistsDlg::OnDialogMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            CheckDlgButton(handle, IDC_FILE_EXISTS_DONT_ASK, dontAsk ? BST_CHECKED : BST_UNCHECKED);
            SetDlgItemTextW(handle, IDC_FILE_EXISTS_MESSAGE, message);
            break;
        case WM_COMMAND:
            dontAsk = (IsDlgButtonChecked(handle, IDC_FILE_EXISTS_DONT_ASK) & BST_CHECKED) != 0;
            if (LOWORD(wParam) != IDC_FILE_EXISTS_DONT_ASK) EndWithResult(LOWORD(wParam));
            return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, msg, wParam, lParam);
}
