#include "pocketpc/TapAndHold.h"
#include "resources/AppMessages.h"

#include "aygshell.h"

#include <commctrl.h>
#include <cstdlib>

// A thread-wide message hook watches the mouse on list views, because the
// program's lists are plain list views it never hands to this layer. The hook
// sees messages that list views pull in their own mouse loops too. It only
// records and posts; the notification is raised from a helper window's
// procedure, where the receiver may safely open a pop-up menu.

namespace {

const wchar_t kHelperClass[] = L"CorvaneTapAndHold";
const UINT kHoldMilliseconds = 500;
const UINT_PTR kHoldTimerId = 1;

struct Press {
    HWND list = nullptr;
    POINT point = {};
};

struct ThreadState {
    HHOOK hook = nullptr;
    HWND helper = nullptr;
    Press hold;   // left button held, waiting for the timer
    Press right;  // right button down, waiting for its release
};

thread_local ThreadState threadState;

bool IsListView(HWND hwnd) {
    wchar_t className[32];
    return GetClassNameW(hwnd, className, ARRAYSIZE(className)) > 0 &&
           _wcsicmp(className, WC_LISTVIEWW) == 0;
}

POINT ScreenPointOf(const MSG* message) {
    POINT point = {static_cast<short>(LOWORD(message->lParam)),
                   static_cast<short>(HIWORD(message->lParam))};
    ClientToScreen(message->hwnd, &point);
    return point;
}

void PostRaise(HWND list, POINT point) {
    PostMessageW(threadState.helper, WM_APP_TAP_AND_HOLD, reinterpret_cast<WPARAM>(list),
                 MAKELPARAM(point.x, point.y));
}

void CancelHold() {
    if (threadState.hold.list == nullptr) return;
    KillTimer(threadState.helper, kHoldTimerId);
    threadState.hold.list = nullptr;
}

bool MovedTooFar(POINT from, POINT to) {
    return std::abs(to.x - from.x) > GetSystemMetrics(SM_CXDRAG) ||
           std::abs(to.y - from.y) > GetSystemMetrics(SM_CYDRAG);
}

// Presses start a gesture only on a list view; later messages only matter for
// the list a gesture started on, or end it wherever they arrive.
void WatchMouse(const MSG* message) {
    switch (message->message) {
        case WM_LBUTTONDOWN:
            CancelHold();
            if (!IsListView(message->hwnd)) break;
            threadState.hold = {message->hwnd, ScreenPointOf(message)};
            SetTimer(threadState.helper, kHoldTimerId, kHoldMilliseconds, nullptr);
            break;
        case WM_LBUTTONUP:
            CancelHold();
            break;
        case WM_MOUSEMOVE:
            if (message->hwnd == threadState.hold.list &&
                MovedTooFar(threadState.hold.point, ScreenPointOf(message))) {
                CancelHold();
            }
            break;
        case WM_RBUTTONDOWN:
            threadState.right = {IsListView(message->hwnd) ? message->hwnd : nullptr,
                                 ScreenPointOf(message)};
            break;
        case WM_RBUTTONUP:
            // Raised after the list has handled the click, so the tapped row is selected.
            if (threadState.right.list != nullptr && message->hwnd == threadState.right.list) {
                PostRaise(threadState.right.list, threadState.right.point);
            }
            threadState.right.list = nullptr;
            break;
    }
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && message->hwnd != nullptr) {
        WatchMouse(message);
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

void Raise(HWND list, POINT point) {
    if (!IsWindow(list)) return;
    NMRGINFO info = {};
    info.hdr.hwndFrom = list;
    info.hdr.idFrom = GetDlgCtrlID(list);
    info.hdr.code = GN_CONTEXTMENU;
    info.ptAction = point;
    SendMessageW(GetParent(list), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
}

void OnHoldTimer() {
    Press hold = threadState.hold;
    CancelHold();
    if (hold.list != nullptr) Raise(hold.list, hold.point);
}

LRESULT CALLBACK HelperWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kHoldTimerId) OnHoldTimer();
            return 0;
        case WM_APP_TAP_AND_HOLD: {
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            Raise(reinterpret_cast<HWND>(wParam), point);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateHelperWindow() {
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(module, kHelperClass, &windowClass)) {
        windowClass.lpfnWndProc = HelperWindowProc;
        windowClass.hInstance = module;
        windowClass.lpszClassName = kHelperClass;
        if (!RegisterClassW(&windowClass)) return nullptr;
    }
    return CreateWindowExW(0, kHelperClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module,
                           nullptr);
}

}  // namespace

bool InstallTapAndHold() {
    if (threadState.hook != nullptr) return true;
    if (threadState.helper == nullptr) threadState.helper = CreateHelperWindow();
    if (threadState.helper == nullptr) return false;
    threadState.hook =
        SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
    return threadState.hook != nullptr;
}
