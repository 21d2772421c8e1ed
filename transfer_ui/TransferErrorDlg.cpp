#include "transfer_ui/TransferErrorDlg.h"

#include <cwchar>

#include "ftp/TransferMessages.h"
#include "resources/resource.h"

namespace {

bool IsAnswerButton(WORD id) {
    return id == IDC_TRANSFER_ERROR_RETRY || id == IDC_TRANSFER_ERROR_IGNORE ||
           id == IDC_TRANSFER_ERROR_ABORT || id == IDC_TRANSFER_ERROR_IGNORE_ALL;
}

// A prompt that could not be shown aborts: taking it as Retry would ask forever.
LRESULT AnswerOf(INT_PTR button) {
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

SIZE MeasureText(HWND control, const wchar_t* text) {
    HDC context = GetDC(control);
    HGDIOBJ oldFont =
        SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentExPointW(context, text, static_cast<int>(wcslen(text)), 0, nullptr, nullptr,
                          &size);
    SelectObject(context, oldFont);
    ReleaseDC(control, context);
    return size;
}

}  // namespace

TransferErrorDlg::TransferErrorDlg() : message(L"Error") {}

LRESULT TransferErrorDlg::Ask(BaseWnd* owner, const wchar_t* text) {
    TransferErrorDlg dialog;
    dialog.SetMessage(text);
    return AnswerOf(dialog.RunModal(IDD_TRANSFER_ERROR, owner));
}

BOOL TransferErrorDlg::OnDialogMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SendDlgItemMessageW(handle, IDC_TRANSFER_ERROR_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_ERROR)), 0);
        FitToOneLine(handle);
    } else if (msg == WM_COMMAND && IsAnswerButton(LOWORD(wParam))) {
        EndWithResult(LOWORD(wParam));
        return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, msg, wParam, lParam);
}

// The text gets one line's height and as much width as it needs, up to the
// screen's; the dialog grows with it and the buttons follow the height change.
// What is still too long loses the middle of its path, keeping the file name.
void TransferErrorDlg::FitToOneLine(HWND handle) {
    HWND text = GetDlgItem(handle, IDC_TRANSFER_ERROR_MESSAGE);
    const wchar_t* content = message.GetText() ? message.GetText() : L"";
    SIZE measured = MeasureText(text, content);
    RECT textRect, dialogRect, workArea;
    ::GetWindowRect(text, &textRect);
    ::GetWindowRect(handle, &dialogRect);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    int dialogWidth = dialogRect.right - dialogRect.left;
    int room = (workArea.right - workArea.left) - dialogWidth;
    int widen = measured.cx - (textRect.right - textRect.left);
    widen = widen < 0 ? 0 : (widen > room ? room : widen);
    POINT topLeft = {textRect.left, textRect.top};
    ScreenToClient(handle, &topLeft);
    MoveWindow(text, topLeft.x, topLeft.y, textRect.right - textRect.left + widen, measured.cy,
               FALSE);
    SetWindowTextW(text, content);

    int shrink = (textRect.bottom - textRect.top) - measured.cy;
    int left = dialogRect.left - widen / 2;
    if (left < workArea.left) left = workArea.left;
    MoveWindow(handle, left, dialogRect.top, dialogWidth + widen,
               dialogRect.bottom - dialogRect.top - shrink, FALSE);
    for (HWND child = GetWindow(handle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == text) continue;
        RECT childRect;
        ::GetWindowRect(child, &childRect);
        POINT corner = {childRect.left, childRect.top};
        ScreenToClient(handle, &corner);
        MoveWindow(child, corner.x, corner.y - shrink, childRect.right - childRect.left,
                   childRect.bottom - childRect.top, FALSE);
    }
}
