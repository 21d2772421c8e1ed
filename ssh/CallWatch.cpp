#include "ssh/CallWatch.h"

#include <chrono>
#include <mutex>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

uint64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
        .count();
}

// The watches alive now. The thread starts with the first watch and lives as
// long as the process; it looks a few times a second, so a cut comes at most
// that much after its limit.
struct Watches {
    static const uint32_t kLookMs = 250;

    std::mutex lock;
    std::set<std::pair<uint64_t, const std::function<void()>*>> alive;
    bool started = false;

    void Add(uint64_t deadline, const std::function<void()>* cut) {
        std::lock_guard<std::mutex> hold(lock);
        alive.insert({deadline, cut});
        if (!started) std::thread([this] { Look(); }).detach();
        started = true;
    }

    // Under the lock, so that a cut never runs once its watch has gone.
    void Remove(uint64_t deadline, const std::function<void()>* cut) {
        std::lock_guard<std::mutex> hold(lock);
        alive.erase({deadline, cut});
    }

    void Look() {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kLookMs));
            std::lock_guard<std::mutex> hold(lock);
            uint64_t now = NowMs();
            while (!alive.empty() && alive.begin()->first <= now) {
                (*alive.begin()->second)();
                alive.erase(alive.begin());
            }
        }
    }
};

Watches& AllWatches() {
    static Watches* watches = new Watches;  // never destroyed: its thread outlives main
    return *watches;
}

}  // namespace

CallWatch::CallWatch(uint32_t limitMs, Cut onLimit) : deadline(NowMs() + limitMs), cut(onLimit) {
    AllWatches().Add(deadline, &cut);
}

CallWatch::~CallWatch() { AllWatches().Remove(deadline, &cut); }
