#pragma once

#include <libssh/sftp.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ssh/SftpSession.h"

// The SFTP packets of file transfers, sent and taken by us on the session's channel. The
// SSH library's own calls wait for each answer before the next request, and its reads
// wait for ever on a silent server; these keep many requests on the way, put data
// straight where the caller wants it, and give up after a bounded wait.
// Requests are gathered and go out together just before the next wait for an answer
// (or once many bytes are gathered): under Wine every channel write costs system calls,
// and on a long link a request that waits for nothing costs no round trip. The session
// keeps one wire for its life, so bytes read ahead are never lost between files; the
// library may use the channel only while no answer is due and the wire is Drained().
class SftpWire {
  public:
    static constexpr uint8_t kOpen = 3;        // SSH_FXP_OPEN
    static constexpr uint8_t kClose = 4;       // SSH_FXP_CLOSE
    static constexpr uint8_t kRead = 5;        // SSH_FXP_READ
    static constexpr uint8_t kWrite = 6;       // SSH_FXP_WRITE
    static constexpr uint8_t kSetStat = 9;     // SSH_FXP_SETSTAT
    static constexpr uint8_t kStatus = 101;    // SSH_FXP_STATUS
    static constexpr uint8_t kHandle = 102;    // SSH_FXP_HANDLE
    static constexpr uint8_t kData = 103;      // SSH_FXP_DATA
    static constexpr uint8_t kExtended = 200;  // SSH_FXP_EXTENDED

    // The head of an answer: its type and id, and how many bytes of it are left to take.
    struct Answer {
        uint8_t type = 0;
        uint32_t id = 0;
        uint32_t rest = 0;
    };

    // The answers' bytes are read up to the read-ahead at a time, which also lets the
    // server send that far ahead of our reads (the channel's window): a download wants
    // megabytes, while for the short answers of other requests a large window only cost time.
    static constexpr size_t kShortAnswers = 64 * 1024;
    explicit SftpWire(sftp_session sftp) : sftp_(sftp) {}
    void SetReadAhead(size_t bytes) { readAhead_ = bytes; }

    // A read or write request about the open file `handle` at `offset`: a write carries
    // `size` bytes of `data`, a read (data null) asks for `size`. Gives the request's id.
    bool Send(uint8_t type, const std::string& handle, uint64_t offset, uint32_t size,
              const char* data, uint32_t* id);
    // Opens `path` with SSH_FXF_* flags; a file it makes gets `permissions`.
    bool SendOpen(const std::string& path, uint32_t flags, uint32_t permissions, uint32_t* id);
    bool SendClose(const std::string& handle, uint32_t* id);
    // Gives the file both times (seconds since 1970, as the protocol's unsigned 32 bits).
    bool SendSetTimes(const std::string& path, uint32_t seconds, uint32_t* id);
    // An extended request named `name` with two string arguments.
    bool SendExtended(const std::string& name, const std::string& first, const std::string& second,
                      uint32_t* id);
    // Sends what was gathered. Every read does so first.
    bool Flush();

    bool ReadAnswer(Answer& answer);
    bool ReadExactly(void* buffer, uint32_t size);
    // The protocol's big-endian 32-bit number (a length, a count).
    bool ReadUint32(uint32_t* value);
    bool Skip(uint32_t size);
    // The rest of a status answer: its code, and in `error` its reason when not OK.
    bool ReadStatus(uint32_t rest, const char* what, uint32_t* code, SshError& error);
    // The rest of a handle answer.
    bool ReadHandle(uint32_t rest, std::string& handle);
    // Records that the server broke the protocol; returns false.
    bool Malformed(const char* reason);
    // Why the channel failed, once a send or a read returned false for the connection.
    SshError ChannelError(const char* what) const;
    // Nothing read ahead: once every answer due was taken, the library may use the channel.
    bool Drained() const { return stagedAt_ == stagedEnd_; }

  private:
    size_t Begin(uint8_t type, uint32_t* id);
    bool End(size_t start);
    uint32_t TakeStaged(char* buffer, uint32_t size);
    int ChannelRead(char* buffer, uint32_t size);

    sftp_session sftp_;
    size_t readAhead_ = kShortAnswers;
    bool timedOut_ = false;
    std::string problem_;                  // how the server broke the protocol, when it did
    std::vector<unsigned char> outgoing_;  // requests gathered and not yet sent
    // Bytes read from the channel and not yet taken. SFTP answers only what was asked, so
    // none is left once every answer due was read.
    std::unique_ptr<char[]> staged_;
    size_t stagedSize_ = 0, stagedAt_ = 0, stagedEnd_ = 0;
};
