#include "transfer_ui/RecentRate.h"

void RecentRate::Add(DWORD elapsedMs, ULONGLONG bytes) {
    if (!samples.empty() && (elapsedMs < samples.back().elapsedMs || bytes < samples.back().bytes))
        samples.clear();
    samples.push_back({elapsedMs, bytes});
    // One sample at or before the window's start stays, so the window is spanned whole.
    while (samples.size() > 2 && elapsedMs - samples[1].elapsedMs >= kWindowMs) samples.pop_front();
}

double RecentRate::BytesPerSecond() const {
    if (samples.size() < 2) return 0;
    DWORD span = samples.back().elapsedMs - samples.front().elapsedMs;
    if (span == 0) return 0;
    return (samples.back().bytes - samples.front().bytes) * 1000.0 / span;
}
