#include "wininet/FtpDataPump.h"

#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <system_error>

namespace {

constexpr size_t kChunkCount = 4;
constexpr size_t kChunkBytes = 1024 * 1024;

}  // namespace

FtpDataPump::FtpDataPump(FtpSocket& socket, bool upload) : socket_(socket), upload_(upload) {
    for (size_t i = 0; i < kChunkCount; ++i) {
        chunks_.push_back(std::make_unique<Chunk>());
        chunks_.back()->data.resize(kChunkBytes);
        free_.push_back(chunks_.back().get());
    }
}

FtpDataPump::~FtpDataPump() { Stop(); }

DWORD FtpDataPump::Start() {
    try {
        thread_ = std::thread(upload_ ? &FtpDataPump::SendLoop : &FtpDataPump::ReceiveLoop, this);
    } catch (const std::system_error&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return 0;
}

FtpDataPump::Chunk* FtpDataPump::TakeFree() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !free_.empty() || stopped_ || failure_; });
    if (stopped_ || failure_) return nullptr;
    Chunk* chunk = free_.front();
    free_.pop_front();
    chunk->size = 0;
    return chunk;
}

void FtpDataPump::Hand(Chunk* chunk, std::deque<Chunk*>& to) {
    std::lock_guard<std::mutex> lock(mutex_);
    to.push_back(chunk);
    changed_.notify_all();
}

// Fills each chunk before handing it over: fewer hand-overs, fewer wake-ups.
DWORD FtpDataPump::Fill(Chunk& chunk) {
    while (chunk.size < chunk.data.size()) {
        size_t received = 0;
        DWORD error = socket_.Receive(chunk.data.data() + chunk.size,
                                      chunk.data.size() - chunk.size, received);
        if (error || received == 0) return error;
        chunk.size += received;
    }
    return 0;
}

void FtpDataPump::ReceiveLoop() {
    for (Chunk* chunk; (chunk = TakeFree());) {
        DWORD error = Fill(*chunk);
        bool full = chunk->size == chunk->data.size();
        if (chunk->size > 0) Hand(chunk, ready_);
        if (error || !full) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (chunk->size == 0) free_.push_back(chunk);
            failure_ = error;
            ended_ = true;
            changed_.notify_all();
            return;
        }
    }
}

void FtpDataPump::SendLoop() {
    for (;;) {
        Chunk* chunk;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return !ready_.empty() || ended_ || stopped_; });
            if (stopped_ || ready_.empty()) return;
            chunk = ready_.front();
            ready_.pop_front();
        }
        DWORD error = socket_.Send(chunk->data.data(), chunk->size);
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(chunk);
        if (error) failure_ = error;
        changed_.notify_all();
        if (error) return;
    }
}

DWORD FtpDataPump::Read(char* out, size_t size, size_t& read) {
    read = 0;
    while (read < size) {
        if (!current_) {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return !ready_.empty() || ended_ || stopped_; });
            if (stopped_) return ERROR_INTERNET_OPERATION_CANCELLED;
            // Data received before a failure is delivered before the failure.
            if (ready_.empty()) return failure_;
            current_ = ready_.front();
            ready_.pop_front();
            offset_ = 0;
        }
        size_t count = std::min(current_->size - offset_, size - read);
        memcpy(out + read, current_->data.data() + offset_, count);
        offset_ += count;
        read += count;
        if (offset_ == current_->size) {
            Hand(current_, free_);
            current_ = nullptr;
        }
    }
    return 0;
}

DWORD FtpDataPump::Write(const char* data, size_t size) {
    while (size > 0) {
        if (!current_ && !(current_ = TakeFree())) {
            std::lock_guard<std::mutex> lock(mutex_);
            return stopped_ ? ERROR_INTERNET_OPERATION_CANCELLED : failure_;
        }
        size_t count = std::min(current_->data.size() - current_->size, size);
        memcpy(current_->data.data() + current_->size, data, count);
        current_->size += count;
        data += count;
        size -= count;
        if (current_->size == current_->data.size()) {
            Hand(current_, ready_);
            current_ = nullptr;
        }
    }
    return 0;
}

DWORD FtpDataPump::Finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (upload_ && current_ && current_->size > 0) ready_.push_back(current_);
        current_ = nullptr;
        ended_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

void FtpDataPump::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }
    socket_.Abort();
    if (thread_.joinable()) thread_.join();
}

bool FtpDataPump::Delivered() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_ && !failure_ && ready_.empty() && !current_;
}
