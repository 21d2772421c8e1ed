#include "transfer_ui/TransferTypeDlg.h"

#include "resources/resource.h"

namespace {
bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
}  // namespace

TransferTypeDlg::TransferTypeDlg()
    : message(L"Please select transfer type...."), dontAsk(0), type(1) {}

BOOL TransferTypeDlg::OnDialogMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            SetDlgItemTextW(handle, IDC_TRANSFER_TYPE_MESSAGE, message.GetText());
            CheckDlgButton(handle, IDC_TRANSFER_TYPE_DONT_ASK,
                           dontAsk ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(handle, type == 1 ? IDC_TRANSFER_TYPE_BINARY : IDC_TRANSFER_TYPE_ASCII,
                           BST_CHECKED);
            break;
        case WM_COMMAND:
            OnCommand(handle, LOWORD(wParam));
            return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, msg, wParam, lParam);
}

void TransferTypeDlg::OnCommand(HWND handle, WORD id) {
    switch (id) {
        case IDOK:
            EndWithResult(1);
            break;
        case IDC_TRANSFER_TYPE_BINARY:
            if (IsChecked(handle, id)) type = 1;
            break;
        case IDC_TRANSFER_TYPE_ASCII:
            if (IsChecked(handle, id)) type = 0;
            break;
        case IDC_TRANSFER_TYPE_DONT_ASK:
            dontAsk = IsChecked(handle, id);
            break;
    }
}
