#pragma once

#include <libssh/sftp.h>

#include <cstdint>
#include <string>

#include "ssh/SftpSession.h"

// Writes a file with several SFTP write requests in flight. The SSH library of this
// build sends one write and waits for its answer, which ties an upload's speed to the
// link's round trip; this sends the write requests itself on the session's channel and
// collects their status answers in any order. The session must not be used otherwise
// until Run returns, which leaves no answer unread.
class SftpWritePipeline {
  public:
    SftpWritePipeline(sftp_session sftp, sftp_file file) : sftp_(sftp), file_(file) {}

    // Writes what `source` gives from `offset` on; false with the reason in `error`.
    bool Run(uint64_t offset, const SftpSession::Source& source, SshError& error);

  private:
    bool Send(uint64_t offset, const char* data, uint32_t size);
    bool Collect(SshError& error);
    bool ReadExactly(void* buffer, uint32_t size);

    sftp_session sftp_;
    sftp_file file_;
    int inFlight_ = 0;
    bool channelFailed_ = false;
};
