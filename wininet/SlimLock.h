#pragma once

#include <windows.h>

#include <mutex>

// A lock and a condition for threads that hand data to each other many
// thousand times a second. The system's slim lock and condition variable wait
// inside the process; the threads library's mutex and condition wait on
// kernel objects, which under Wine costs round trips to the Wine server on
// every hand-over. Usable with std::lock_guard and std::unique_lock.
class SlimMutex {
  public:
    SlimMutex() = default;
    SlimMutex(const SlimMutex&) = delete;
    SlimMutex& operator=(const SlimMutex&) = delete;

    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    SRWLOCK* Native() { return &lock_; }

  private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
  public:
    SlimCondition() = default;
    SlimCondition(const SlimCondition&) = delete;
    SlimCondition& operator=(const SlimCondition&) = delete;

    // Sleeps until `ready` holds; `lock` is held whenever `ready` is asked.
    template <typename Ready>
    void wait(std::unique_lock<SlimMutex>& lock, Ready ready) {
        while (!ready())
            SleepConditionVariableSRW(&condition_, lock.mutex()->Native(), INFINITE, 0);
    }
    void notify_all() { WakeAllConditionVariable(&condition_); }

  private:
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};
