#include "app/FtpClientApp.h"

#include <aygshell.h>
#include <commctrl.h>

#include <cwchar>
#include <string>

#include "browsers/BrowseWnd.h"
#include "dialogs/SmartTab.h"
#include "resources/resource.h"

namespace {

const wchar_t kRuntimeKey[] = L"Runtime";
const wchar_t kWindowValue[] = L"hWnd";
// Room the handheld keeps for the input panel's button bar while the panel is down.
const int kSipBarHeight = 26;

}  // namespace

FtpClientApp* GetApp() { return static_cast<FtpClientApp*>(GetWinApp()); }

FtpClientApp::FtpClientApp() {}

FtpClientApp::~FtpClientApp() {}

bool FtpClientApp::Startup() {
    BrowseWnd::RegisterWindowClass(instance);
    FrameWnd::RegisterWindowClass(instance);
    SmartTab::RegisterWindowClass(instance);
    InitCommonControls();
    registry.SetMakerKey(L"Ostrel");
    registry.SetProductKey(L"Corvane");
    if (!registry.Open()) ReportUnsaved(L"settings");
    sessions.Load(registry);
    options.Load(registry);
    if (BringRunningInstanceForward()) return false;
    RECT area = FrameRectangle();
    // Without its window the program could only linger unseen: end instead.
    if (!frame.CreateFrame(L"Corvane", WS_VISIBLE, area.left, area.top, area.right - area.left,
                           area.bottom - area.top, IDR_MENUBAR))
        return false;
    // Stored as a DWORD: window handles keep 32 significant bits on 64-bit Windows.
    DWORD handle = static_cast<DWORD>(HandleToLong(frame.GetHandle()));
    registry.WriteDword(kRuntimeKey, nullptr, kWindowValue, handle);
    return true;
}

// A handle left by an instance that never shut down may since have been
// given to another program's window: only a frame of ours counts.
bool FtpClientApp::BringRunningInstanceForward() {
    DWORD stored = registry.ReadDword(kRuntimeKey, nullptr, kWindowValue, 0);
    HWND running = static_cast<HWND>(LongToHandle(static_cast<LONG>(stored)));
    wchar_t className[16] = L"";
    if (stored == 0 || !IsWindow(running) || !GetClassNameW(running, className, 16) ||
        wcscmp(className, FrameWnd::kClassName) != 0)
        return false;
    SetForegroundWindow(running);
    return true;
}

// The visible desktop, less the input panel's bar while the panel is down.
// Without an answer from the shell the work area stands in for it.
RECT FtpClientApp::FrameRectangle() {
    SIPINFO sip = {};
    sip.cbSize = sizeof(sip);
    RECT area = {};
    if (SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0)) area = sip.rcVisibleDesktop;
    if (IsRectEmpty(&area)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    if (!(sip.fdwFlags & SIPF_ON)) area.bottom -= kSipBarHeight;
    return area;
}

bool FtpClientApp::SaveSessions() {
    return !registry.IsOpen() || sessions.Save(registry) || ReportUnsaved(L"sessions");
}

bool FtpClientApp::SaveOptions() {
    return !registry.IsOpen() || options.Save(registry) || ReportUnsaved(L"options");
}

bool FtpClientApp::ReportUnsaved(const wchar_t* what) {
    std::wstring text = std::wstring(L"Can't save the ") + what +
                        L" in the registry (HKEY_CURRENT_USER\\Software\\Ostrel\\Corvane): " +
                        registry.DescribeLastFailure();
    HWND owner = frame.GetHandle();
    MessageBoxW(IsWindow(owner) ? owner : nullptr, text.c_str(), L"Error", MB_ICONHAND | MB_OK);
    return false;
}

int FtpClientApp::Shutdown() {
    SaveSessions();
    SaveOptions();
    registry.WriteDword(kRuntimeKey, nullptr, kWindowValue, 0);
    return 0;
}
