#pragma once

#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "settings/FtpOptions.h"
#include "settings/RegStore.h"
#include "settings/SessionList.h"

// The program's application object: the frame, the registry store, the saved
// sessions and the options, read at start-up and written back whenever they
// change and again at exit, so that a crash or a kill loses nothing.
class FtpClientApp : public CWinApp {
  public:
    FtpClientApp();
    ~FtpClientApp() override;

    // False when another instance runs: it is brought to the front instead.
    bool Startup() override;
    int Shutdown() override;
    // Each writes its part to the registry now and tells the user, in a message
    // owned by the frame, when that failed. Without a registry (never opened,
    // which start-up reported) there is nothing to write to.
    bool SaveSessions();
    bool SaveOptions();

    FrameWnd frame;
    RegStore registry;
    SessionList sessions;
    FtpOptions options;

  private:
    bool BringRunningInstanceForward();
    RECT FrameRectangle();
    bool ReportUnsaved(const wchar_t* what);
};

FtpClientApp* GetApp();
