#pragma once

#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "settings/FtpOptions.h"
#include "settings/RegStore.h"
#include "settings/SessionList.h"

// The program's application object: the frame, the registry store, the saved
// sessions and the options, read at start-up and written back at exit.
class FtpClientApp : public CWinApp {
  public:
    FtpClientApp();
    ~FtpClientApp() override;

    // False when another instance runs: it is brought to the front instead.
    bool Startup() override;
    int Shutdown() override;

    FrameWnd frame;
    RegStore registry;
    SessionList sessions;
    FtpOptions options;

  private:
    bool BringRunningInstanceForward();
    RECT FrameRectangle();
};

FtpClientApp* GetApp();
