#include "ssh/SftpWire.h"

#include <libssh/libssh.h>

#include <cstring>
#include <vector>

#include "ssh/SftpStatus.h"

namespace {

// A wait for the server's next bytes fails after this.
constexpr int kAnswerTimeoutMs = 10000;
// Reads at least this large go straight into the caller's buffer.
constexpr uint32_t kStraightRead = 16 * 1024;
// A status answer carries a short message; anything far larger is not one.
constexpr uint32_t kLargestStatus = 64 * 1024;

// Gathered requests go out once this many bytes wait: large writes need not wait for a read.
constexpr size_t kFlushBytes = 256 * 1024;
constexpr uint32_t kTimesFlag = 0x00000008;        // SSH_FILEXFER_ATTR_ACMODTIME
constexpr uint32_t kPermissionsFlag = 0x00000004;  // SSH_FILEXFER_ATTR_PERMISSIONS

void PutUint32(std::vector<unsigned char>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutString(std::vector<unsigned char>& out, const std::string& text) {
    PutUint32(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

uint32_t GetUint32(const unsigned char* in) {
    return (uint32_t(in[0]) << 24) | (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) | in[3];
}

}  // namespace

// Starts a request in the gathered bytes: its length (set by End), type and id.
size_t SftpWire::Begin(uint8_t type, uint32_t* id) {
    size_t start = outgoing_.size();
    PutUint32(outgoing_, 0);
    outgoing_.push_back(type);
    *id = ++sftp_->id_counter;  // the library's own numbering, so ids never clash
    PutUint32(outgoing_, *id);
    return start;
}

bool SftpWire::End(size_t start) {
    uint32_t length = static_cast<uint32_t>(outgoing_.size() - start - 4);
    for (int i = 0; i < 4; ++i)
        outgoing_[start + i] = static_cast<unsigned char>(length >> (24 - 8 * i));
    return outgoing_.size() < kFlushBytes || Flush();
}

bool SftpWire::Send(uint8_t type, const std::string& handle, uint64_t offset, uint32_t size,
                    const char* data, uint32_t* id) {
    size_t start = Begin(type, id);
    PutString(outgoing_, handle);
    PutUint32(outgoing_, static_cast<uint32_t>(offset >> 32));
    PutUint32(outgoing_, static_cast<uint32_t>(offset));
    PutUint32(outgoing_, size);
    if (data) outgoing_.insert(outgoing_.end(), data, data + size);
    return End(start);
}

bool SftpWire::SendOpen(const std::string& path, uint32_t flags, uint32_t permissions,
                        uint32_t* id) {
    size_t start = Begin(kOpen, id);
    PutString(outgoing_, path);
    PutUint32(outgoing_, flags);
    PutUint32(outgoing_, kPermissionsFlag);
    PutUint32(outgoing_, permissions);
    return End(start);
}

bool SftpWire::SendClose(const std::string& handle, uint32_t* id) {
    size_t start = Begin(kClose, id);
    PutString(outgoing_, handle);
    return End(start);
}

bool SftpWire::SendSetTimes(const std::string& path, uint32_t seconds, uint32_t* id) {
    size_t start = Begin(kSetStat, id);
    PutString(outgoing_, path);
    PutUint32(outgoing_, kTimesFlag);
    PutUint32(outgoing_, seconds);  // access
    PutUint32(outgoing_, seconds);  // modification
    return End(start);
}

bool SftpWire::SendExtended(const std::string& name, const std::string& first,
                            const std::string& second, uint32_t* id) {
    size_t start = Begin(kExtended, id);
    PutString(outgoing_, name);
    PutString(outgoing_, first);
    PutString(outgoing_, second);
    return End(start);
}

// One channel write for everything gathered: the library cuts it into packets.
bool SftpWire::Flush() {
    if (outgoing_.empty()) return true;
    int size = static_cast<int>(outgoing_.size());
    bool sent =
        ssh_channel_write(sftp_->channel, outgoing_.data(), static_cast<uint32_t>(size)) == size;
    outgoing_.clear();
    return sent;
}

bool SftpWire::ReadAnswer(Answer& answer) {
    unsigned char head[9];
    if (!ReadExactly(head, sizeof head)) return false;
    uint32_t size = GetUint32(head);
    if (size < 5) return Malformed("the server's answer was malformed");
    answer = {head[4], GetUint32(head + 5), size - 5};
    return true;
}

bool SftpWire::ReadExactly(void* buffer, uint32_t size) {
    if (!Flush()) return false;
    auto* at = static_cast<char*>(buffer);
    while (size > 0) {
        uint32_t piece = TakeStaged(at, size);
        if (piece == 0) {
            // A large piece goes straight where it is wanted; small ones come out of one
            // large read, which also lets the server send a window's worth ahead.
            bool straight = size >= kStraightRead;
            if (!straight && stagedSize_ < readAhead_) {
                staged_.reset(new char[readAhead_]);  // empty here: nothing is lost
                stagedSize_ = readAhead_;
            }
            int got = ChannelRead(straight ? at : staged_.get(),
                                  straight ? size : static_cast<uint32_t>(readAhead_));
            if (got <= 0) return false;
            if (!straight) {
                stagedEnd_ = static_cast<size_t>(got);
                continue;
            }
            piece = static_cast<uint32_t>(got);
        }
        at += piece;
        size -= piece;
    }
    return true;
}

bool SftpWire::ReadUint32(uint32_t* value) {
    unsigned char bytes[4];
    if (!ReadExactly(bytes, sizeof bytes)) return false;
    *value = GetUint32(bytes);
    return true;
}

uint32_t SftpWire::TakeStaged(char* buffer, uint32_t size) {
    size_t piece = stagedEnd_ - stagedAt_;
    if (piece > size) piece = size;
    if (piece > 0) memcpy(buffer, staged_.get() + stagedAt_, piece);
    stagedAt_ += piece;
    if (stagedAt_ == stagedEnd_) stagedAt_ = stagedEnd_ = 0;
    return static_cast<uint32_t>(piece);
}

int SftpWire::ChannelRead(char* buffer, uint32_t size) {
    int got = ssh_channel_read_timeout(sftp_->channel, buffer, size, 0, kAnswerTimeoutMs);
    if (got == 0 && !ssh_channel_is_eof(sftp_->channel) && ssh_is_connected(sftp_->session))
        timedOut_ = true;
    return got;
}

bool SftpWire::Skip(uint32_t size) {
    char buffer[16384];
    while (size > 0) {
        uint32_t piece = size < sizeof buffer ? size : sizeof buffer;
        if (!ReadExactly(buffer, piece)) return false;
        size -= piece;
    }
    return true;
}

bool SftpWire::ReadStatus(uint32_t rest, const char* what, uint32_t* code, SshError& error) {
    if (rest < 4 || rest > kLargestStatus)
        return Malformed("the server's status answer was malformed");
    std::vector<unsigned char> body(rest);
    if (!ReadExactly(body.data(), rest)) return false;
    *code = GetUint32(body.data());
    if (*code != SSH_FX_OK)
        error = {static_cast<int>(*code), true, std::string(what) + ": " + SftpStatusText(*code)};
    return true;
}

bool SftpWire::ReadHandle(uint32_t rest, std::string& handle) {
    uint32_t size = 0;
    if (rest < 4) return Malformed("the server's handle was malformed");
    if (!ReadUint32(&size)) return false;
    // SFTP handles are at most 256 bytes.
    if (size != rest - 4 || size > 256) return Malformed("the server's handle was malformed");
    handle.resize(size);
    return ReadExactly(&handle[0], size);
}

bool SftpWire::Malformed(const char* reason) {
    problem_ = reason;
    return false;
}

SshError SftpWire::ChannelError(const char* what) const {
    std::string reason = !problem_.empty() ? problem_
                         : timedOut_       ? "the server did not answer in time"
                                           : ssh_get_error(sftp_->session);
    if (reason.empty()) reason = "the connection closed";
    return {ssh_get_error_code(sftp_->session), false, std::string(what) + ": " + reason};
}
