#pragma once

#include <windows.h>
#include <aygshell.h>

class BaseDlg;

// Base of every window of the program and of the system-control wrappers.
// The object and its window live separately: destroying the window leaves the
// object, deleting the object leaves the window. Once the window is destroyed
// the object forgets its handle, so a stale handle never reaches a window that
// reuses it; a handler therefore must not delete its own object in WM_DESTROY.
class BaseWnd {
  public:
    BaseWnd();
    BaseWnd(const BaseWnd&) = delete;
    BaseWnd& operator=(const BaseWnd&) = delete;
    virtual ~BaseWnd();

    virtual bool Create(const wchar_t* className, const wchar_t* windowName, DWORD style, int x,
                        int y, int width, int height, BaseWnd* parent, HMENU menuOrId);
    virtual bool CreateInDialog(const wchar_t* className, const wchar_t* windowName, DWORD style,
                                int x, int y, int width, int height, BaseDlg* parent,
                                HMENU menuOrId);
    virtual bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName,
                          DWORD style, int x, int y, int width, int height, BaseWnd* parent,
                          HMENU menuOrId);
    virtual LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool DestroyWnd();

    HWND GetHandle() const { return hwnd; }
    bool GetClientRect(RECT* rect);
    bool GetWindowRect(RECT* rect);
    bool Show(int command);
    bool Move(int x, int y, int width, int height, bool repaint);
    bool Enable(bool enable);
    bool Update();
    bool SetText(const wchar_t* text);
    HWND Focus();
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT SendTo(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

  protected:
    HWND hwnd;
    SHACTIVATEINFO activateInfo;

  private:
    bool CreateWithParent(DWORD exStyle, const wchar_t* className, const wchar_t* windowName,
                          DWORD style, int x, int y, int width, int height, HWND parent,
                          HMENU menuOrId);

    friend LRESULT CALLBACK SharedWindowProc(HWND, UINT, WPARAM, LPARAM);
};

// The window procedure of every window class the program registers.
LRESULT CALLBACK SharedWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

// Registers a window class of the program: redrawn on resize, no icon, cursor,
// background or menu, every message through SharedWindowProc.
bool RegisterProgramWindowClass(HINSTANCE instance, const wchar_t* className);
