#pragma once

#include <windows.h>

// Drives the process's application object from start-up to shut-down and
// returns the exit code. Without an application object it says so and ends.
int RunProgram(HINSTANCE instance);
