#pragma once

#include <windows.h>

#include "app/FtpClientApp.h"

// The application object of a window test: registers the program's window
// classes and the common controls, as start-up does, without the registry.
class GuiApp : public FtpClientApp {
  public:
    GuiApp();
};

// Handles what is queued for the calling thread (posted commands, paints);
// a quit message posted by a frame is taken out of the queue too.
void PumpMessages();
