#include "wininet/FtpDataPump.h"

#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// Large enough that the network never waits for a caller writing to a slow
// disk for a moment.
constexpr size_t kRingBytes = 4 * 1024 * 1024;
// Below this a transfer is over before a thread would pay for itself.
constexpr uint64_t kDirectBytes = 1024 * 1024;
// Rings kept for later transfers: under Wine the first receives into fresh
// memory cost some 40 ms per ring, which every file over a megabyte would pay.
constexpr size_t kSpareRings = 2;

std::mutex spareMutex;
std::vector<std::unique_ptr<char[]>> spareRings;

std::unique_ptr<char[]> TakeRing() {
    {
        std::lock_guard<std::mutex> lock(spareMutex);
        if (!spareRings.empty()) {
            std::unique_ptr<char[]> ring = std::move(spareRings.back());
            spareRings.pop_back();
            return ring;
        }
    }
    return std::unique_ptr<char[]>(new char[kRingBytes]);
}

void GiveBackRing(std::unique_ptr<char[]> ring) {
    std::lock_guard<std::mutex> lock(spareMutex);
    if (ring && spareRings.size() < kSpareRings) spareRings.push_back(std::move(ring));
}

}  // namespace

FtpDataPump::FtpDataPump(FtpSocket& socket, bool upload)
    : socket_(socket), upload_(upload), capacity_(kRingBytes) {}

FtpDataPump::~FtpDataPump() {
    Halt();
    GiveBackRing(std::move(ring_));
}

void FtpDataPump::Halt() {
    Stop();
    if (thread_.joinable()) thread_.join();
}

DWORD FtpDataPump::StartThread() {
    try {
        ring_ = TakeRing();
        thread_ = std::thread(upload_ ? &FtpDataPump::SendLoop : &FtpDataPump::ReceiveLoop, this);
    } catch (const std::exception&) {
        return failure_ = ERROR_NOT_ENOUGH_MEMORY;
    }
    return 0;
}

// Until the pump thread starts only the caller's thread moves data; the lock
// is for Stop, from another thread.
DWORD FtpDataPump::ReadDirect(char* out, size_t size, size_t& read) {
    for (;;) {
        {
            std::lock_guard<SlimMutex> lock(mutex_);
            if (stopped_) return ERROR_INTERNET_OPERATION_CANCELLED;
            if (failure_ || ended_ || read == size) return read ? 0 : failure_;
        }
        size_t received = 0;
        DWORD error = socket_.Receive(out + read, size - read, received);
        std::lock_guard<SlimMutex> lock(mutex_);
        failure_ = error;
        ended_ = !error && received == 0;
        read += received;
        direct_ += received;
    }
}

DWORD FtpDataPump::WriteDirect(const char* data, size_t size) {
    {
        std::lock_guard<SlimMutex> lock(mutex_);
        if (stopped_) return ERROR_INTERNET_OPERATION_CANCELLED;
        if (failure_) return failure_;
    }
    DWORD error = socket_.Send(data, size);
    std::lock_guard<SlimMutex> lock(mutex_);
    if (stopped_) return ERROR_INTERNET_OPERATION_CANCELLED;
    failure_ = error;
    direct_ += size;
    return error;
}

size_t FtpDataPump::WaitForRoom(Lock& lock) {
    changed_.wait(lock, [&] { return filled_ - taken_ < capacity_ || stopped_ || failure_; });
    if (stopped_ || failure_) return 0;
    size_t free = capacity_ - static_cast<size_t>(filled_ - taken_);
    return std::min(free, capacity_ - static_cast<size_t>(filled_ % capacity_));
}

size_t FtpDataPump::WaitForData(Lock& lock) {
    changed_.wait(lock, [&] { return filled_ > taken_ || ended_ || stopped_; });
    if (stopped_) return 0;
    size_t held = static_cast<size_t>(filled_ - taken_);
    return std::min(held, capacity_ - static_cast<size_t>(taken_ % capacity_));
}

void FtpDataPump::End(DWORD failure) {
    std::lock_guard<SlimMutex> lock(mutex_);
    failure_ = failure;
    if (!upload_) ended_ = true;
    changed_.notify_all();
}

// Each receive is passed on at once: only a full ring makes the socket wait.
void FtpDataPump::ReceiveLoop() {
    for (;;) {
        size_t room;
        char* into;
        {
            Lock lock(mutex_);
            if (!(room = WaitForRoom(lock))) return;
            into = At(filled_);
        }
        size_t received = 0;
        DWORD error = socket_.Receive(into, room, received);
        if (error || received == 0) return End(error);
        Lock lock(mutex_);
        // The reader waits only on an empty ring, so only then is it woken.
        if (filled_ == taken_) changed_.notify_all();
        filled_ += received;
    }
}

void FtpDataPump::SendLoop() {
    for (;;) {
        size_t held;
        const char* from;
        {
            Lock lock(mutex_);
            if (!(held = WaitForData(lock))) return;
            from = At(taken_);
        }
        if (DWORD error = socket_.Send(from, held)) return End(error);
        Lock lock(mutex_);
        // The writer waits only on a full ring, so only then is it woken.
        if (filled_ - taken_ == capacity_) changed_.notify_all();
        taken_ += held;
    }
}

bool FtpDataPump::MayStartThread() {
    std::lock_guard<SlimMutex> lock(mutex_);
    return direct_ >= kDirectBytes && !ended_ && !failure_ && !stopped_;
}

DWORD FtpDataPump::Read(char* out, size_t size, size_t& read) {
    read = 0;
    if (!thread_.joinable()) {
        if (!MayStartThread()) return ReadDirect(out, size, read);
        if (DWORD error = StartThread()) return error;
    }
    Lock lock(mutex_);
    while (read < size) {
        size_t held = WaitForData(lock);
        if (stopped_) return ERROR_INTERNET_OPERATION_CANCELLED;
        // Data received before a failure is delivered before the failure.
        if (!held) return read ? 0 : failure_;
        size_t count = std::min(held, size - read);
        const char* from = At(taken_);
        lock.unlock();
        memcpy(out + read, from, count);
        lock.lock();
        if (filled_ - taken_ == capacity_) changed_.notify_all();
        taken_ += count;
        read += count;
    }
    return 0;
}

DWORD FtpDataPump::Write(const char* data, size_t size) {
    if (!thread_.joinable()) {
        if (!MayStartThread()) return WriteDirect(data, size);
        if (DWORD error = StartThread()) return error;
    }
    Lock lock(mutex_);
    while (size > 0) {
        size_t room = WaitForRoom(lock);
        if (!room) return stopped_ ? ERROR_INTERNET_OPERATION_CANCELLED : failure_;
        size_t count = std::min(room, size);
        char* into = At(filled_);
        lock.unlock();
        memcpy(into, data, count);
        lock.lock();
        if (filled_ == taken_) changed_.notify_all();
        filled_ += count;
        data += count;
        size -= count;
    }
    return 0;
}

DWORD FtpDataPump::Finish() {
    {
        std::lock_guard<SlimMutex> lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard<SlimMutex> lock(mutex_);
    return failure_;
}

void FtpDataPump::Stop() {
    {
        std::lock_guard<SlimMutex> lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }
    if (upload_)
        socket_.AbortWithReset();
    else
        socket_.Abort();
}

bool FtpDataPump::Delivered() {
    std::lock_guard<SlimMutex> lock(mutex_);
    return ended_ && !failure_ && filled_ == taken_;
}

DWORD FtpDataPump::Failure() {
    std::lock_guard<SlimMutex> lock(mutex_);
    return failure_;
}
