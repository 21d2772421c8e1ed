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

namespace {

struct Deadline {
    DWORD seconds;
    volatile bool passed;
};

DWORD WINAPI EndAfter(void* argument) {
    auto* deadline = static_cast<Deadline*>(argument);
    Sleep(deadline->seconds * 1000);
    deadline->passed = true;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Deadline deadline = {argc > 1 ? static_cast<DWORD>(atoi(argv[1])) : 3600u, false};
    HWND frame = nullptr;
    for (int tries = 0; !frame && tries < 600; ++tries, Sleep(100))
        frame = FindWindowW(FrameWnd::kClassName, nullptr);
    if (!frame) {
        fprintf(stderr, "frame_probe: no frame window of the program\n");
        return 1;
    }
    CloseHandle(CreateThread(nullptr, 0, EndAfter, &deadline, 0, nullptr));
    FrameProbe probe;
    probe.Run(frame, deadline.passed);
    probe.Print("frame");
    return 0;
}
