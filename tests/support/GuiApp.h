#pragma once

#include <windows.h>

#include <functional>

#include "app/FtpClientApp.h"

// The application object of a window test: registers the program's window
// classes and the common controls, as start-up does, without the registry.
class GuiApp : public FtpClientApp {
  public:
    GuiApp();
};

// Left to the program's own start-up, registry included; takes its frame down
// with it, as the process's end would.
class StartedApp : public FtpClientApp {
  public:
    StartedApp();
    ~StartedApp() override;
};

// Handles what is queued for the calling thread (posted commands, paints);
// a quit message posted by a frame is taken out of the queue too.
void PumpMessages();

// Handles the calling thread's messages until done() holds, then what is left; false on timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 120000);
// Handles the calling thread's messages for the time given, as a loop of its own.
void PumpFor(DWORD ms);

class BrowseWnd;
// Handles messages until the view's requests have ended and their results show; false on timeout.
bool WaitUntilIdle(BrowseWnd& view, DWORD timeoutMs = 120000);
