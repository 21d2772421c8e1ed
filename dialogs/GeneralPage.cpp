#include "dialogs/GeneralPage.h"

#include "framework/TextUtil.h"
#include "resources/resource.h"

namespace {

struct ExistingFileButton {
    int id;
    DWORD code;
};

const ExistingFileButton kExistingFileButtons[] = {
    {IDC_GENERAL_OVERWRITE, existingOverwrite}, {IDC_GENERAL_SKIP, existingSkip},
    {IDC_GENERAL_RESUME, existingResume},       {IDC_GENERAL_IF_NEWER, existingIfNewer},
    {IDC_GENERAL_PROMPT, existingPrompt},
};

}  // namespace

GeneralPage::GeneralPage(const wchar_t* text, DWORD existingFileOption, bool keepTimes)
    : email(), existingFileOption(existingFileOption), keepTimes(keepTimes) {
    CopyTextCut(email, text);
}

BOOL GeneralPage::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            ShowValues();
            break;
        case WM_DESTROY:
            ReadEmail();
            ReadExistingFileOption();
            ReadKeepTimes();
            break;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}

const wchar_t* GeneralPage::GetEmail() {
    if (hwnd) ReadEmail();
    return email;
}

DWORD GeneralPage::GetExistingFileOption() {
    if (hwnd) ReadExistingFileOption();
    return existingFileOption;
}

bool GeneralPage::GetKeepTimes() {
    if (hwnd) ReadKeepTimes();
    return keepTimes;
}

void GeneralPage::ShowValues() {
    SetDlgItemTextW(hwnd, IDC_GENERAL_EMAIL, email);
    for (const ExistingFileButton& button : kExistingFileButtons)
        if (button.code == existingFileOption) CheckDlgButton(hwnd, button.id, BST_CHECKED);
    CheckDlgButton(hwnd, IDC_GENERAL_KEEP_TIMES, keepTimes ? BST_CHECKED : BST_UNCHECKED);
}

void GeneralPage::ReadEmail() {
    GetDlgItemTextW(hwnd, IDC_GENERAL_EMAIL, email, FtpOptions::textCapacity);
}

void GeneralPage::ReadExistingFileOption() {
    for (const ExistingFileButton& button : kExistingFileButtons)
        if (IsDlgButtonChecked(hwnd, button.id) & BST_CHECKED) existingFileOption = button.code;
}

void GeneralPage::ReadKeepTimes() {
    keepTimes = (IsDlgButtonChecked(hwnd, IDC_GENERAL_KEEP_TIMES) & BST_CHECKED) != 0;
}
