#include <windows.h>

#include "app/FtpClientApp.h"
#include "app/ProgramEntry.h"

static FtpClientApp application;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunProgram(instance); }
