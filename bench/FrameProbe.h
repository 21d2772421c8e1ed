#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

// Measures how long a window takes to answer: every interval it sends the window
// WM_NULL and waits for the answer, as Windows does before it calls a window
// "Not responding". A window that answers within its message loop answers at
// once; one whose thread waits on the network answers when the wait ends.
class FrameProbe {
  public:
    explicit FrameProbe(DWORD intervalMs = 50) : intervalMs_(intervalMs) {}

    // Probes until the window is gone or the tick count reaches `end`. A send
    // still unanswered then counts with the time it has waited so far.
    void Run(HWND window, ULONGLONG end) {
        for (ULONGLONG now; IsWindow(window) && (now = GetTickCount64()) < end;) {
            LARGE_INTEGER sent, answered, frequency;
            QueryPerformanceCounter(&sent);
            DWORD_PTR result = 0;
            UINT bound = static_cast<UINT>(end - now);
            unanswered_ = !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, bound, &result);
            QueryPerformanceCounter(&answered);
            QueryPerformanceFrequency(&frequency);
            double ms =
                1000.0 * double(answered.QuadPart - sent.QuadPart) / double(frequency.QuadPart);
            samples_.push_back(ms);
            if (ms < intervalMs_) Sleep(static_cast<DWORD>(intervalMs_ - ms));
        }
    }

    // "samples N, max X ms, p99 Y ms, median Z ms" under the label.
    void Print(const char* label) const {
        if (samples_.empty()) {
            printf("%s: no samples\n", label);
            return;
        }
        std::vector<double> sorted = samples_;
        std::sort(sorted.begin(), sorted.end());
        auto at = [&](double share) {
            size_t rank = static_cast<size_t>(share * double(sorted.size()) + 0.999999);
            return sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
        };
        printf("%s: samples %zu, max %.1f ms, p99 %.1f ms, median %.1f ms\n", label, sorted.size(),
               sorted.back(), at(0.99), at(0.5));
        fflush(stdout);
    }

  private:
    DWORD intervalMs_;
    bool unanswered_ = false;
    std::vector<double> samples_;
};
