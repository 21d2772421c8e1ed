#pragma once

#include <windows.h>

#include "framework/ChildWindows.h"

class BaseWnd;

// Base of every dialog. initFlags holds the shell's dialog initialisation flags;
// 0 means the dialog gets no shell initialisation. As with windows, the object
// forgets its handle once the dialog window is destroyed.
class BaseDlg {
  public:
    BaseDlg();
    BaseDlg(const BaseDlg&) = delete;
    BaseDlg& operator=(const BaseDlg&) = delete;
    virtual ~BaseDlg();

    virtual BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool CreateModeless(int resourceId, BaseWnd* parent);
    virtual INT_PTR RunModalFromTemplate(const DLGTEMPLATE* dialogTemplate, BaseWnd* parent);
    virtual INT_PTR RunModal(int resourceId, BaseWnd* parent);
    virtual bool DestroyDlg();
    virtual bool EndWithResult(INT_PTR result);

    HWND GetHandle() const { return hwnd; }
    HWND GetItem(int id);
    bool GetClientRect(RECT* rect);
    bool GetWindowRect(RECT* rect);
    bool Show(int command);
    bool Move(int x, int y, int width, int height, bool repaint);
    bool Enable(bool enable);

  protected:
    HWND hwnd;
    DWORD initFlags;

  private:
    ChildWindows items;

    friend INT_PTR CALLBACK SharedDialogProc(HWND, UINT, WPARAM, LPARAM);
};

// The dialog procedure given to every dialog the program creates.
INT_PTR CALLBACK SharedDialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
