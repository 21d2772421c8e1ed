// The transfer decisions of FtpOptions: they read the stored codes and ask
// through the transfer prompts when a code says to ask.
#include <windows.h>
#include <wininet.h>

#include <string>

#include "resources/resource.h"
#include "settings/FtpOptions.h"
#include "transfer_ui/FileExistsDlg.h"
#include "transfer_ui/TransferTypeDlg.h"

namespace {

// A prompt closed any other way leaves the question open (3).
DWORD ExistingFileActionOf(INT_PTR button) {
    switch (button) {
        case IDC_FILE_EXISTS_RESUME:
            return existingResume;
        case IDC_FILE_EXISTS_SKIP:
            return existingSkip;
        case IDC_FILE_EXISTS_OVERWRITE:
            return existingOverwrite;
        default:
            return existingPrompt;
    }
}

}  // namespace

DWORD FtpOptions::ChooseExistingFileAction(const wchar_t* text, BaseWnd* owner) {
    if (existingFileOption != existingPrompt) return existingFileOption;
    FileExistsDlg dialog;
    dialog.SetMessage(text);
    DWORD action = ExistingFileActionOf(dialog.RunModal(IDD_FILE_EXISTS, owner));
    if (dialog.GetDontAsk()) SetExistingFileOption(action);
    return action;
}

DWORD FtpOptions::ChooseTransferType(const wchar_t* name, BaseWnd* owner) {
    DWORD code = transferType;
    if (code == transferPrompt) {
        std::wstring text = std::wstring(L"Please select a transfer type for ") + name + L"...";
        TransferTypeDlg dialog;
        dialog.SetMessage(text.c_str());
        dialog.RunModal(IDD_TRANSFER_TYPE, owner);
        code = dialog.GetType();
        if (dialog.GetDontAsk()) SetTransferType(code);
    }
    if (code == transferAscii) return FTP_TRANSFER_TYPE_ASCII;
    if (code == transferBinary) return FTP_TRANSFER_TYPE_BINARY;
    return 0xFFFFFFFF;
}
