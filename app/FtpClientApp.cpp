#include "app/FtpClientApp.h"

#include <aygshell.h>
#include <commctrl.h>

#include "browsers/BrowseWnd.h"
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
    InitCommonControls();
    registry.SetMakerKey(L"Ostrel");
    registry.SetProductKey(L"Corvane");
    registry.Open();
    sessions.Load(registry);
    options.Load(registry);
    if (BringRunningInstanceForward()) return false;
    RECT area = FrameRectangle();
    frame.CreateFrame(L"Corvane", WS_VISIBLE, area.left, area.top, area.right - area.left,
                      area.bottom - area.top, IDR_MENUBAR);
    // The handle is stored as a DWORD; window handles fit in 32 bits on 64-bit Windows.
    DWORD handle = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(frame.GetHandle()));
    registry.WriteDword(kRuntimeKey, nullptr, kWindowValue, handle);
    return true;
}

bool FtpClientApp::BringRunningInstanceForward() {
    DWORD stored = registry.ReadDword(kRuntimeKey, nullptr, kWindowValue, 0);
    HWND running = reinterpret_cast<HWND>(static_cast<UINT_PTR>(stored));
    if (stored == 0 || !IsWindow(running)) return false;
    SetForegroundWindow(running);
    return true;
}

// The visible desktop, less the input panel's bar while the panel is down.
RECT FtpClientApp::FrameRectangle() {
    SIPINFO sip = {};
    sip.cbSize = sizeof(sip);
    SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
    RECT area = sip.rcVisibleDesktop;
    if (!(sip.fdwFlags & SIPF_ON)) area.bottom -= kSipBarHeight;
    return area;
}

int FtpClientApp::Shutdown() {
    sessions.Save(registry);
    options.Save(registry);
    registry.WriteDword(kRuntimeKey, nullptr, kWindowValue, 0);
    return 0;
}
