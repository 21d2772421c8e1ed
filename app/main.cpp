#include <windows.h>

#include "app/FtpClientApp.h"
#include "app/ProgramEntry.h"
#include "framework/ProcessEnd.h"

static FtpClientApp application;

// The settings are written by the time RunProgram returns.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    EndProcessNow(RunProgram(instance));
}
