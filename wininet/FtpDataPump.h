#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include "wininet/FtpSocket.h"
#include "wininet/SlimLock.h"

// Moves one transfer's data. The first megabyte goes straight between the
// caller and the socket, so a small file costs no thread; beyond it the data
// moves on a thread of its own through a ring buffer, so that the network and
// the caller's work on the local file overlap instead of taking turns. Each
// piece is passed on as soon as it arrives (never held back to fill a block),
// so a slow link still shows steady progress. Waits are bounded through the
// socket's. The owner (the thread that reads or writes) alone starts and joins
// the pump thread; any other thread may only Stop it, which never waits.
class FtpDataPump {
  public:
    FtpDataPump(FtpSocket& socket, bool upload);
    ~FtpDataPump();
    FtpDataPump(const FtpDataPump&) = delete;
    FtpDataPump& operator=(const FtpDataPump&) = delete;

    // Download: fills `out` unless the data ends first (read == 0 at the end,
    // and only there). Bytes that came before a failure are handed over first;
    // the failure is told by the next call.
    DWORD Read(char* out, size_t size, size_t& read);
    // Upload: takes all of `data` unless the transfer failed.
    DWORD Write(const char* data, size_t size);
    // Owner only. Upload: sends what is left; both: waits for the thread, after
    // which the socket is the owner's alone. The transfer's failure, if any.
    DWORD Finish();
    // Signals the thread to end and wakes every wait; a blocked Read or Write
    // fails as cancelled. An upload's connection is then reset on close, never
    // ended as complete. Safe from any thread; never blocks.
    void Stop();
    // Owner only: Stop, then waits for the thread, so that the socket is the owner's alone.
    void Halt();
    // Download: every byte up to the end of the data was handed to the caller.
    bool Delivered();
    // The error that ended the transfer, 0 while none did.
    DWORD Failure();

  private:
    using Lock = std::unique_lock<SlimMutex>;

    // Past the first megabyte, while the transfer goes on.
    bool MayStartThread();
    DWORD StartThread();
    DWORD ReadDirect(char* out, size_t size, size_t& read);
    DWORD WriteDirect(const char* data, size_t size);
    void ReceiveLoop();
    void SendLoop();
    // The free part of the ring that can be filled in one piece; 0 once stopped.
    size_t WaitForRoom(Lock& lock);
    // The filled part of the ring that can be taken in one piece; 0 at the end.
    size_t WaitForData(Lock& lock);
    char* At(uint64_t position) { return ring_.get() + position % capacity_; }
    void End(DWORD failure);

    FtpSocket& socket_;
    const bool upload_;
    const size_t capacity_;
    std::unique_ptr<char[]> ring_;
    uint64_t direct_ = 0;  // bytes moved before the thread started
    SlimMutex mutex_;
    SlimCondition changed_;
    uint64_t filled_ = 0;  // bytes put into the ring since the start
    uint64_t taken_ = 0;   // bytes taken out of it
    bool ended_ = false;   // download: no more data comes; upload: no more is written
    bool stopped_ = false;
    DWORD failure_ = 0;
    std::thread thread_;
};
