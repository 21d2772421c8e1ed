#pragma once

#include <windows.h>

#include "framework/PtrMap.h"

class BaseWnd;
class BaseDlg;

// The application base: owns the handle-to-object maps through which the shared
// window and dialog procedures find their objects, the module instance, the
// resource loaders and the counter of run-time command ids.
class CWinApp {
  public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual bool Startup();
    void MessageLoop();
    virtual int Shutdown();

    HINSTANCE GetInstance() const { return instance; }
    void SetInstance(HINSTANCE module) { instance = module; }

    // The transfer prompts run on worker threads, so every map access takes the lock.
    void AddWindow(HWND handle, BaseWnd* window);
    BaseWnd* LookupWindow(HWND handle);
    void RemoveWindow(HWND handle);
    void AddDialog(HWND handle, BaseDlg* dialog);
    BaseDlg* LookupDialog(HWND handle);
    void RemoveDialog(HWND handle);

    HMENU LoadMenuResource(int id);
    HICON LoadIconResource(int id);
    HBITMAP LoadBitmapResource(int id);
    HCURSOR LoadCursorResource(int id);

    // Pairs may nest; the cursor from before the outermost pair comes back.
    void ShowWaitCursor();
    void HideWaitCursor();

    // Ids for menu items inserted at run time, from 50000 up. Returns 0 once the
    // 16-bit range is used up: 0 is never a dynamic id, so callers add no item.
    WORD NextCommandId();
    static bool IsDynamicCommandId(UINT id);

    static const UINT firstDynamicCommandId = 50000;

  protected:
    PtrMap<HWND, BaseWnd*> windowMap;
    PtrMap<HWND, BaseDlg*> dialogMap;
    HINSTANCE instance;

  private:
    SRWLOCK mapLock;
    UINT nextCommandId;
    HCURSOR cursorBeforeWait;
    int waitDepth;
};

// The process's one application object; null when there is none.
CWinApp* GetWinApp();
void SetWinApp(CWinApp* app);
