#include "framework/CWinApp.h"

namespace {

CWinApp* theApp = nullptr;

const int waitCursorId = 32514;

// Holds the map lock for one access.
class MapLock {
  public:
    explicit MapLock(SRWLOCK* lock) : lock(lock) { AcquireSRWLockExclusive(lock); }
    ~MapLock() { ReleaseSRWLockExclusive(lock); }
    MapLock(const MapLock&) = delete;
    MapLock& operator=(const MapLock&) = delete;

  private:
    SRWLOCK* lock;
};

}  // namespace

CWinApp* GetWinApp() { return theApp; }

void SetWinApp(CWinApp* app) { theApp = app; }

CWinApp::CWinApp()
    : instance(nullptr),
      mapLock(SRWLOCK_INIT),
      nextCommandId(firstDynamicCommandId),
      cursorBeforeWait(nullptr),
      waitDepth(0) {
    theApp = this;
}

CWinApp::~CWinApp() {
    if (theApp == this) theApp = nullptr;
    MapLock hold(&mapLock);
    windowMap.RemoveAll();
    dialogMap.RemoveAll();
}

bool CWinApp::Startup() { return false; }

void CWinApp::MessageLoop() {
    MSG message;
    BOOL result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        // -1 leaves the message unfilled: nothing to dispatch.
        if (result == -1) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int CWinApp::Shutdown() { return 0; }

void CWinApp::AddWindow(HWND handle, BaseWnd* window) {
    MapLock hold(&mapLock);
    windowMap.SetAt(handle, window);
}

BaseWnd* CWinApp::LookupWindow(HWND handle) {
    MapLock hold(&mapLock);
    return windowMap.Lookup(handle);
}

void CWinApp::RemoveWindow(HWND handle) {
    MapLock hold(&mapLock);
    windowMap.RemoveKey(handle);
}

void CWinApp::AddDialog(HWND handle, BaseDlg* dialog) {
    MapLock hold(&mapLock);
    dialogMap.SetAt(handle, dialog);
}

BaseDlg* CWinApp::LookupDialog(HWND handle) {
    MapLock hold(&mapLock);
    return dialogMap.Lookup(handle);
}

void CWinApp::RemoveDialog(HWND handle) {
    MapLock hold(&mapLock);
    dialogMap.RemoveKey(handle);
}

HMENU CWinApp::LoadMenuResource(int id) { return LoadMenuW(instance, MAKEINTRESOURCEW(id)); }

HICON CWinApp::LoadIconResource(int id) { return LoadIconW(instance, MAKEINTRESOURCEW(id)); }

HBITMAP CWinApp::LoadBitmapResource(int id) { return LoadBitmapW(instance, MAKEINTRESOURCEW(id)); }

HCURSOR CWinApp::LoadCursorResource(int id) { return LoadCursorW(instance, MAKEINTRESOURCEW(id)); }

void CWinApp::ShowWaitCursor() {
    // The wait cursor is the system's on desktop Windows, not the module's.
    HCURSOR wait = LoadCursorResource(waitCursorId);
    if (!wait) wait = LoadCursorW(nullptr, MAKEINTRESOURCEW(waitCursorId));
    HCURSOR previous = SetCursor(wait);
    if (waitDepth++ == 0) cursorBeforeWait = previous;
    ShowCursor(TRUE);
}

void CWinApp::HideWaitCursor() {
    ShowCursor(FALSE);
    if (waitDepth > 0 && --waitDepth > 0) return;  // an outer wait goes on
    // Our window classes have no cursor of their own, so a null cursor would
    // leave the pointer invisible over them.
    SetCursor(cursorBeforeWait);
    cursorBeforeWait = nullptr;
}

WORD CWinApp::NextCommandId() {
    if (nextCommandId > 0xFFFF) return 0;
    return static_cast<WORD>(nextCommandId++);
}

bool CWinApp::IsDynamicCommandId(UINT id) { return id >= firstDynamicCommandId; }
