#include "transfer_ui/TransferErrorDlg.h"

#include <cwchar>

#include "framework/TextMeasure.h"
#include "ftp/TransferMessages.h"
#include "resources/resource.h"

namespace {

bool IsAnswerButton(WORD id) {
    return id == IDC_TRANSFER_ERROR_RETRY || id == IDC_TRANSFER_ERROR_IGNORE ||
           id == IDC_TRANSFER_ERROR_ABORT || id == IDC_TRANSFER_ERROR_IGNORE_ALL;
}

}  // namespace

TransferErrorDlg::TransferErrorDlg() : message(L"Error") {}

void TransferErrorDlg::SetMessage(const wchar_t* text) {
    message = text ? text : L"";
    size_t lineEnd = message.find(L'\n');
    reason = lineEnd == std::wstring::npos ? L"" : message.substr(lineEnd + 1);
    if (lineEnd != std::wstring::npos) message.resize(lineEnd);
}

LRESULT TransferErrorDlg::AnswerOf(INT_PTR button) {
    switch (button) {
        case IDC_TRANSFER_ERROR_RETRY:
            return answerRetry;
        case IDC_TRANSFER_ERROR_IGNORE:
            return answerIgnore;
        case IDC_TRANSFER_ERROR_IGNORE_ALL:
            return answerIgnoreAll;
        default:
            return answerAbort;
    }
}

BOOL TransferErrorDlg::OnDialogMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SendDlgItemMessageW(handle, IDC_TRANSFER_ERROR_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_ERROR)), 0);
        FitText(handle);
    } else if (msg == WM_COMMAND && IsAnswerButton(LOWORD(wParam))) {
        EndWithResult(LOWORD(wParam));
        return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, msg, wParam, lParam);
}

// The failure gets one line's height and as much width as it needs, up to
// the screen's; the reason goes below it, its long lines broken at that
// width. The dialog grows with them and the buttons follow the height change.
// A failure still too long loses the middle of its path, keeping the file name.
void TransferErrorDlg::FitText(HWND handle) {
    HWND text = GetDlgItem(handle, IDC_TRANSFER_ERROR_MESSAGE);
    HWND below = GetDlgItem(handle, IDC_TRANSFER_ERROR_REASON);
    RECT textRect, dialogRect, workArea;
    ::GetWindowRect(text, &textRect);
    ::GetWindowRect(handle, &dialogRect);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    int dialogWidth = dialogRect.right - dialogRect.left;
    int textWidth = textRect.right - textRect.left;
    int room = (workArea.right - workArea.left) - dialogWidth;
    SIZE measured = MeasureText(text, message, DT_SINGLELINE, 0);
    SIZE reasonSize = MeasureText(below, reason, DT_WORDBREAK, textWidth + room);
    int widen = (measured.cx > reasonSize.cx ? measured.cx : reasonSize.cx) - textWidth;
    widen = widen < 0 ? 0 : (widen > room ? room : widen);
    POINT topLeft = {textRect.left, textRect.top};
    ScreenToClient(handle, &topLeft);
    MoveWindow(text, topLeft.x, topLeft.y, textWidth + widen, measured.cy, FALSE);
    SetWindowTextW(text, message.c_str());
    MoveWindow(below, topLeft.x, topLeft.y + measured.cy, textWidth + widen, reasonSize.cy, FALSE);
    SetWindowTextW(below, reason.c_str());

    int grow = measured.cy + reasonSize.cy - (textRect.bottom - textRect.top);
    int left = dialogRect.left - widen / 2;
    if (left < workArea.left) left = workArea.left;
    MoveWindow(handle, left, dialogRect.top, dialogWidth + widen,
               dialogRect.bottom - dialogRect.top + grow, FALSE);
    for (HWND child = GetWindow(handle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == text || child == below) continue;
        RECT childRect;
        ::GetWindowRect(child, &childRect);
        POINT corner = {childRect.left, childRect.top};
        ScreenToClient(handle, &corner);
        MoveWindow(child, corner.x, corner.y + grow, childRect.right - childRect.left,
                   childRect.bottom - childRect.top, FALSE);
    }
}
