// How long the program's frame takes to answer a message, from outside: finds
// the running program's frame window (within 60 s), sends it WM_NULL every
// 50 ms until it closes or the given seconds have passed, and prints the
// longest and the 99th percentile wait. For the program started by hand
// (scripts/run.sh), under the same Wine prefix and display:
//
// usage: frame_probe [seconds]
#include <windows.h>

#include <cstdlib>

#include "bench/FrameProbe.h"
#include "frame/FrameWnd.h"

int main(int argc, char** argv) {
    ULONGLONG seconds = argc > 1 ? atoi(argv[1]) : 3600;
    HWND frame = nullptr;
    for (int tries = 0; !frame && tries < 600; ++tries, Sleep(100))
        frame = FindWindowW(FrameWnd::kClassName, nullptr);
    if (!frame) {
        fprintf(stderr, "frame_probe: no frame window of the program\n");
        return 1;
    }
    FrameProbe probe;
    probe.Run(frame, GetTickCount64() + seconds * 1000);
    probe.Print("frame");
    return 0;
}
