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

bool SftpWire::Send(uint8_t type, uint64_t offset, uint32_t size, const char* data, uint32_t* id) {
    ssh_string handle = file_->handle;
    uint32_t handleSize = static_cast<uint32_t>(ssh_string_len(handle));
    uint32_t dataSize = data ? size : 0;
    // One buffer for the request and its data: each channel write becomes SSH packets of
    // its own, and under Wine every packet costs a system call.
    std::vector<unsigned char>& head = packet_;
    head.clear();
    PutUint32(head, 1 + 4 + 4 + handleSize + 8 + 4 + dataSize);
    head.push_back(type);
    *id = ++sftp_->id_counter;  // the library's own numbering, so ids never clash
    PutUint32(head, *id);
    PutUint32(head, handleSize);
    auto* handleBytes = static_cast<const unsigned char*>(ssh_string_data(handle));
    head.insert(head.end(), handleBytes, handleBytes + handleSize);
    PutUint32(head, static_cast<uint32_t>(offset >> 32));
    PutUint32(head, static_cast<uint32_t>(offset));
    PutUint32(head, size);
    head.insert(head.end(), data, data + dataSize);
    return SendPacket(head);
}

bool SftpWire::SendExtended(const std::string& name, const std::string& first,
                            const std::string& second, uint32_t* id) {
    std::vector<unsigned char> head;
    PutUint32(head, static_cast<uint32_t>(1 + 4 + 4 + name.size() + 4 + first.size() + 4 +
                                          second.size()));
    head.push_back(kExtended);
    *id = ++sftp_->id_counter;
    PutUint32(head, *id);
    PutString(head, name);
    PutString(head, first);
    PutString(head, second);
    return SendPacket(head);
}

bool SftpWire::SendPacket(const std::vector<unsigned char>& packet) {
    return ssh_channel_write(sftp_->channel, packet.data(), static_cast<uint32_t>(packet.size())) ==
           static_cast<int>(packet.size());
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
    auto* at = static_cast<char*>(buffer);
    while (size > 0) {
        uint32_t piece = TakeStaged(at, size);
        if (piece == 0) {
            // A large piece goes straight where it is wanted; small ones come out of one
            // large read, which also lets the server send a window's worth ahead.
            bool straight = size >= kStraightRead;
            if (!straight && !staged_) staged_.reset(new char[readAhead_]);
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
