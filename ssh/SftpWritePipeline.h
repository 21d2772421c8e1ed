#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "ssh/SftpWire.h"

// Writes one open file with many SFTP write requests in flight. The SSH library of this
// build sends one write and waits for its answer, which ties an upload's speed to the
// link's round trip; this sends the requests itself and collects their status answers
// in any order, so a failure shows a few blocks after the write that caused it. The
// session must not use its channel otherwise until Finish returns.
class SftpWritePipeline {
  public:
    SftpWritePipeline(SftpWire& wire, std::string handle, uint64_t offset)
        : wire_(wire), handle_(std::move(handle)), offset_(offset) {}

    // Sends `data` at the end of what was written; false (reason in `error`) once any
    // write failed.
    bool Write(const char* data, size_t size, SshError& error);
    // Waits for every answer still due: true when every write was kept.
    bool Finish(SshError& error);
    // The channel broke: answers may still be due, and the session is out of step.
    bool ChannelFailed() const { return channelFailed_; }

  private:
    void Collect();

    SftpWire& wire_;
    const std::string handle_;
    uint64_t offset_;
    int inFlight_ = 0;
    bool channelFailed_ = false;
    bool failed_ = false;
    SshError firstError_;
};
