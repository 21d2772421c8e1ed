#pragma once

#include <cstdint>
#include <functional>

// Bounds a call that may wait on a server without end: while a watch lives,
// one watching thread of the process runs its cut once the limit has passed,
// which makes the call return. The SSH library's SFTP calls (listing, stat,
// open, close) wait for their answer for ever; under a watch a silent server
// costs the limit, as every other wait does. The cut runs on the watching
// thread and never after the watch is gone.
class CallWatch {
  public:
    using Cut = std::function<void()>;

    CallWatch(uint32_t limitMs, Cut cut);
    ~CallWatch();
    CallWatch(const CallWatch&) = delete;
    CallWatch& operator=(const CallWatch&) = delete;

  private:
    const uint64_t deadline;
    Cut cut;
};
