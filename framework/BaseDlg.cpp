#include "framework/BaseDlg.h"

#include <aygshell.h>

#include "framework/BaseWnd.h"
#include "framework/CWinApp.h"

namespace {

const wchar_t* const dialogResourceType = MAKEINTRESOURCEW(5);

HINSTANCE AppInstance() {
    CWinApp* app = GetWinApp();
    return app ? app->GetInstance() : nullptr;
}

HWND HandleOf(BaseWnd* parent) { return parent ? parent->GetHandle() : nullptr; }

// The dialog template of a resource id, or null when the module has none.
const DLGTEMPLATE* FindDialogTemplate(int resourceId) {
    HINSTANCE module = AppInstance();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), dialogResourceType);
    if (!resource) return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

}  // namespace

BaseDlg::BaseDlg() : hwnd(nullptr), initFlags(0) {}

BaseDlg::~BaseDlg() {}

BOOL BaseDlg::OnDialogMessage(HWND handle, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG || initFlags == 0) return FALSE;
    SHINITDLGINFO info = {};
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = handle;
    info.dwFlags = initFlags;
    SHInitDialog(&info);
    SetForegroundWindow(handle);
    return TRUE;
}

bool BaseDlg::CreateModeless(int resourceId, BaseWnd* parent) {
    const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(resourceId);
    if (!dialogTemplate) return false;
    hwnd = CreateDialogIndirectParamW(AppInstance(), dialogTemplate, HandleOf(parent),
                                      SharedDialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

INT_PTR BaseDlg::RunModalFromTemplate(const DLGTEMPLATE* dialogTemplate, BaseWnd* parent) {
    return DialogBoxIndirectParamW(AppInstance(), dialogTemplate, HandleOf(parent),
                                   SharedDialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR BaseDlg::RunModal(int resourceId, BaseWnd* parent) {
    const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(resourceId);
    if (!dialogTemplate) return -1;
    return RunModalFromTemplate(dialogTemplate, parent);
}

bool BaseDlg::DestroyDlg() { return DestroyWindow(hwnd) != FALSE; }

bool BaseDlg::EndWithResult(INT_PTR result) { return EndDialog(hwnd, result) != FALSE; }

HWND BaseDlg::GetItem(int id) { return items.Get(hwnd, id); }

bool BaseDlg::GetClientRect(RECT* rect) { return ::GetClientRect(hwnd, rect) != FALSE; }

bool BaseDlg::GetWindowRect(RECT* rect) { return ::GetWindowRect(hwnd, rect) != FALSE; }

bool BaseDlg::Show(int command) { return ShowWindow(hwnd, command) != FALSE; }

bool BaseDlg::Move(int x, int y, int width, int height, bool repaint) {
    return MoveWindow(hwnd, x, y, width, height, repaint) != FALSE;
}

bool BaseDlg::Enable(bool enable) { return EnableWindow(hwnd, enable) != FALSE; }

INT_PTR CALLBACK SharedDialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    CWinApp* app = GetWinApp();
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<BaseDlg*>(lParam);
        if (!app || !dialog) return FALSE;
        app->AddDialog(handle, dialog);
        dialog->hwnd = handle;
        return dialog->OnDialogMessage(handle, message, wParam, lParam);
    }
    BaseDlg* dialog = app ? app->LookupDialog(handle) : nullptr;
    if (!dialog) return FALSE;
    BOOL result = dialog->OnDialogMessage(handle, message, wParam, lParam);
    if (message == WM_DESTROY) {
        app->RemoveDialog(handle);
        dialog->hwnd = nullptr;
    }
    return result;
}
