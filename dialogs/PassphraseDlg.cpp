#include "dialogs/PassphraseDlg.h"

#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

// Longer than any passphrase typed by hand.
const int kPassphraseCapacity = 1024;

}  // namespace

PassphraseDlg::PassphraseDlg(const std::wstring& keyFile, bool wrongBefore)
    : keyFile(keyFile), wrongBefore(wrongBefore), answer(nullptr) {}

std::wstring PassphraseDlg::Prompt(const std::wstring& keyFile, bool wrongBefore) {
    if (wrongBefore)
        return L"That passphrase did not open the key file " + keyFile + L". Try again:";
    return L"The key file " + keyFile + L" is protected by a passphrase. Enter it:";
}

bool PassphraseDlg::Ask(HWND owner, std::string& passphrase) {
    answer = &passphrase;
    INT_PTR result = DialogBoxParamW(GetWinApp()->GetInstance(), MAKEINTRESOURCEW(IDD_PASSPHRASE),
                                     owner, SharedDialogProc, reinterpret_cast<LPARAM>(this));
    answer = nullptr;
    return result == IDOK;
}

// Converted straight into the answer, with no copy on the way; the typed text
// is wiped from the stack and from the box once it is taken.
void PassphraseDlg::TakeAnswer() {
    wchar_t typed[kPassphraseCapacity] = L"";
    int typedLength = GetDlgItemTextW(hwnd, IDC_PASSPHRASE_VALUE, typed, kPassphraseCapacity);
    int length = WideCharToMultiByte(CP_UTF8, 0, typed, typedLength, nullptr, 0, nullptr, nullptr);
    answer->assign(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, typed, typedLength, &(*answer)[0], length, nullptr,
                            nullptr);
    SecureZeroMemory(typed, sizeof(typed));
    SetDlgItemTextW(hwnd, IDC_PASSPHRASE_VALUE, L"");
}

BOOL PassphraseDlg::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextW(hwnd, IDC_PASSPHRASE_PROMPT, Prompt(keyFile, wrongBefore).c_str());
        SetFocus(GetItem(IDC_PASSPHRASE_VALUE));
        return FALSE;
    }
    if (message == WM_COMMAND) {
        WORD id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
            if (id == IDOK) TakeAnswer();
            EndWithResult(id);
            return TRUE;
        }
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}
