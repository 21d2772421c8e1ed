#include "browsers/NameInputDlg.h"

#include "framework/TextUtil.h"
#include "resources/resource.h"

NameInputDlg::NameInputDlg() : value() { CopyText(prompt, L"Please enter value"); }

NameInputDlg::~NameInputDlg() {}

const wchar_t* NameInputDlg::SetPrompt(const wchar_t* text) {
    CopyTextCut(prompt, text);
    return prompt;
}

INT_PTR NameInputDlg::DoModal(BaseWnd* owner) { return RunModal(IDD_NAME_INPUT, owner); }

BOOL NameInputDlg::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextW(handle, IDC_NAME_INPUT_PROMPT, prompt);
        SetFocus(GetDlgItem(handle, IDC_NAME_INPUT_VALUE));  // ready for typing
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        value[0] = L'\0';
        GetDlgItemTextW(handle, IDC_NAME_INPUT_VALUE, value, kTextCapacity);
        EndWithResult(LOWORD(wParam));
        return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}
