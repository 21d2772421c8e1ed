#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "wininet/FtpSocket.h"

// Moves one transfer's data on a thread of its own, through a few large
// chunks, so that the network and the caller's own work on the local file
// overlap instead of taking turns. Waits are bounded through the socket's.
class FtpDataPump {
  public:
    FtpDataPump(FtpSocket& socket, bool upload);
    ~FtpDataPump();
    FtpDataPump(const FtpDataPump&) = delete;
    FtpDataPump& operator=(const FtpDataPump&) = delete;

    DWORD Start();
    // Download: fills `out` unless the data ends first (read == 0 at the end).
    DWORD Read(char* out, size_t size, size_t& read);
    // Upload: takes all of `data` unless the transfer failed.
    DWORD Write(const char* data, size_t size);
    // Upload: sends what is left; both: waits for the thread. The transfer's failure, if any.
    DWORD Finish();
    // Ends the thread at once; a blocked Read or Write fails as cancelled. Safe from any thread.
    void Stop();
    // Download: every byte up to the end of the data was handed to the caller.
    bool Delivered();

  private:
    struct Chunk {
        std::vector<char> data;
        size_t size = 0;
    };

    DWORD Fill(Chunk& chunk);
    void ReceiveLoop();
    void SendLoop();
    Chunk* TakeFree();
    void Hand(Chunk* chunk, std::deque<Chunk*>& to);

    FtpSocket& socket_;
    const bool upload_;
    std::vector<std::unique_ptr<Chunk>> chunks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk*> free_;
    std::deque<Chunk*> ready_;  // received and not yet read, or written and not yet sent
    Chunk* current_ = nullptr;  // the caller's chunk
    size_t offset_ = 0;         // read position in the caller's chunk
    bool ended_ = false;        // download: no more data comes; upload: no more is written
    bool stopped_ = false;
    DWORD failure_ = 0;
    std::thread thread_;
};
