#pragma once

#include <libssh/sftp.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ssh/SftpSession.h"

// The SFTP packets of a file's bytes, sent and taken by us on the session's channel. The
// SSH library's own calls wait for each answer before the next request, and its reads
// wait for ever on a silent server; these keep many requests on the way, put data
// straight where the caller wants it, and give up after a bounded wait. Nothing else may
// use the channel while answers are due.
class SftpWire {
  public:
    static constexpr uint8_t kRead = 5;        // SSH_FXP_READ
    static constexpr uint8_t kWrite = 6;       // SSH_FXP_WRITE
    static constexpr uint8_t kStatus = 101;    // SSH_FXP_STATUS
    static constexpr uint8_t kExtended = 200;  // SSH_FXP_EXTENDED
    static constexpr uint8_t kData = 103;      // SSH_FXP_DATA

    // The head of an answer: its type and id, and how many bytes of it are left to take.
    struct Answer {
        uint8_t type = 0;
        uint32_t id = 0;
        uint32_t rest = 0;
    };

    // The answers' bytes are read up to `readAhead` at a time, which also lets the server
    // send that far ahead of our reads (the channel's window): a download wants megabytes,
    // while for the short answers of uploads a large window only cost time.
    static constexpr size_t kShortAnswers = 64 * 1024;
    SftpWire(sftp_session sftp, sftp_file file, size_t readAhead = kShortAnswers)
        : sftp_(sftp), file_(file), readAhead_(readAhead) {}
    explicit SftpWire(sftp_session sftp) : SftpWire(sftp, nullptr) {}

    // A read or write request about the file at `offset`: a write carries `size` bytes of
    // `data`, a read (data null) asks for `size`. Gives the request's id.
    bool Send(uint8_t type, uint64_t offset, uint32_t size, const char* data, uint32_t* id);
    // An extended request named `name` with two string arguments (the file is not used).
    bool SendExtended(const std::string& name, const std::string& first, const std::string& second,
                      uint32_t* id);
    bool ReadAnswer(Answer& answer);
    bool ReadExactly(void* buffer, uint32_t size);
    bool Skip(uint32_t size);
    // The rest of a status answer: its code, and in `error` its reason when not OK.
    bool ReadStatus(uint32_t rest, const char* what, uint32_t* code, SshError& error);
    // Records that the server broke the protocol; returns false.
    bool Malformed(const char* reason);
    // Why the channel failed, once Send or a read returned false for the connection.
    SshError ChannelError(const char* what) const;

  private:
    bool SendPacket(const std::vector<unsigned char>& packet);
    uint32_t TakeStaged(char* buffer, uint32_t size);
    int ChannelRead(char* buffer, uint32_t size);

    sftp_session sftp_;
    sftp_file file_;
    size_t readAhead_;
    bool timedOut_ = false;
    std::string problem_;                // how the server broke the protocol, when it did
    std::vector<unsigned char> packet_;  // the request being sent, kept for its capacity
    // Bytes read from the channel and not yet taken. SFTP answers only what was asked, so
    // none is left once every answer due was read.
    std::unique_ptr<char[]> staged_;  // made at the first small read
    size_t stagedAt_ = 0, stagedEnd_ = 0;
};
