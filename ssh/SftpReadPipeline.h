#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ssh/SftpWire.h"

// Reads one open file with many SFTP read requests in flight, handing the bytes on in
// file order as the caller pulls them, straight into the caller's buffer where they fit.
// The offsets are ours: after a short answer (the end, or a server's choice) the
// requests behind it asked from the wrong place, so they are dropped and asked again.
// Answers are expected in the order asked, as SFTP servers process a handle's requests.
// The session must not use its channel otherwise until Drop returns.
class SftpReadPipeline {
  public:
    // `expectedSize` is the size the listing gave (0: none). The first requests then ask
    // for exactly the bytes up to it and one more for the end, all at once: a small
    // file's data and its end come in one round trip. A file that has changed since
    // costs only the usual requests more.
    SftpReadPipeline(SftpWire& wire, std::string handle, uint64_t offset, uint64_t expectedSize);
    ~SftpReadPipeline();
    SftpReadPipeline(const SftpReadPipeline&) = delete;
    SftpReadPipeline& operator=(const SftpReadPipeline&) = delete;

    // Up to `capacity` bytes; *got == 0 at the end. Once a request failed, the bytes
    // before it are still given, then every call fails.
    bool Read(char* buffer, size_t capacity, size_t* got, SshError& error);
    // Takes the answers still due, so that none is left for the session's next call.
    bool Drop(SshError& error);
    // The channel broke: answers may still be due, and the session is out of step.
    bool ChannelFailed() const { return channelFailed_; }

  private:
    struct Request {
        uint32_t id;
        uint64_t offset;
        uint32_t size;
    };
    void ReadAheadForWindow();
    bool Ask(SshError& error);
    uint32_t NextRequestSize() const;
    bool TakeFront(char* buffer, size_t capacity, size_t* got, SshError& error);
    bool TakeData(const Request& front, uint32_t rest, char* buffer, size_t capacity, size_t* got,
                  uint32_t* size);
    bool ChannelBroke(SshError& error);
    size_t GiveHeld(char* buffer, size_t capacity);

    SftpWire& wire_;
    const std::string handle_;
    std::deque<Request> pending_;
    uint64_t asked_;          // where the next request asks from
    uint64_t expectedEnd_;    // the listed size; requests before it end there
    std::vector<char> held_;  // an answer larger than the caller's buffer, given out in parts
    size_t heldAt_ = 0;
    // Requests kept on the way: one at first (or as many as the listed size needs),
    // doubled by each full answer up to kDepth. A small file then costs one request,
    // not kDepth end-of-file answers that the server holds back until our acknowledgement.
    size_t window_ = 1;
    bool atEnd_ = false;
    bool failed_ = false;  // and failure_ is why: bytes taken before it were handed on first
    SshError failure_;
    bool channelFailed_ = false;
};
