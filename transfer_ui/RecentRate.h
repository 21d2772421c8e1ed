#pragma once

#include <windows.h>

#include <deque>

// The rate of the last few seconds, from the run's (elapsed time, bytes moved)
// samples. The average since the start would mislead: the socket's buffers
// swallow the first megabytes at once, and a run slows or speeds up as it goes.
class RecentRate {
  public:
    // Forgets every sample: a new run starts.
    void Reset() { samples.clear(); }
    // A sample earlier than the last one starts the history afresh.
    void Add(DWORD elapsedMs, ULONGLONG bytes);
    // Bytes per second over the samples of the last window; 0 until two samples span time.
    double BytesPerSecond() const;

    static const DWORD kWindowMs = 3000;

  private:
    struct Sample {
        DWORD elapsedMs;
        ULONGLONG bytes;
    };
    std::deque<Sample> samples;
};
