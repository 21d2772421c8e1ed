#include "ssh/SftpWritePipeline.h"

#include <libssh/libssh.h>

#include <vector>

namespace {

// 64 KiB per request and 16 of them on the way: a megabyte in flight keeps a long link
// busy, and every OpenSSH server takes writes of that size.
constexpr uint32_t kChunk = 64 * 1024;
constexpr int kDepth = 16;
constexpr uint8_t kWrite = 6;     // SSH_FXP_WRITE
constexpr uint8_t kStatus = 101;  // SSH_FXP_STATUS
// A status answer carries a short message; anything far larger is not one.
constexpr uint32_t kLargestStatus = 64 * 1024;

void PutUint32(std::vector<unsigned char>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutUint64(std::vector<unsigned char>& out, uint64_t value) {
    PutUint32(out, static_cast<uint32_t>(value >> 32));
    PutUint32(out, static_cast<uint32_t>(value));
}

uint32_t GetUint32(const unsigned char* in) {
    return (uint32_t(in[0]) << 24) | (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) | in[3];
}

}  // namespace

bool SftpWritePipeline::Run(uint64_t offset, const SftpSession::Source& source, SshError& error) {
    std::vector<char> buffer(kChunk);
    bool failed = false;
    for (;;) {
        while (inFlight_ >= kDepth && !failed) failed = !Collect(error);
        if (failed) break;
        int64_t size = source(buffer.data(), buffer.size());
        if (size <= 0) {
            if (size < 0) error = {0, false, "the local file could not be read"};
            failed = size < 0;
            break;
        }
        if (!Send(offset, buffer.data(), static_cast<uint32_t>(size))) {
            error = {ssh_get_error_code(sftp_->session), false, ssh_get_error(sftp_->session)};
            return false;  // the channel is gone: no answer will come
        }
        offset += static_cast<uint64_t>(size);
    }
    // Every answer is read even after a failure, so the session stays in step.
    while (inFlight_ > 0 && !channelFailed_) {
        SshError late;
        if (!Collect(late) && !failed) {
            error = late;
            failed = true;
        }
    }
    return !failed && !channelFailed_;
}

bool SftpWritePipeline::Send(uint64_t offset, const char* data, uint32_t size) {
    ssh_string handle = file_->handle;
    uint32_t handleSize = static_cast<uint32_t>(ssh_string_len(handle));
    std::vector<unsigned char> head;
    PutUint32(head, 1 + 4 + 4 + handleSize + 8 + 4 + size);
    head.push_back(kWrite);
    PutUint32(head, ++sftp_->id_counter);  // the library's own numbering, so ids never clash
    PutUint32(head, handleSize);
    auto* handleBytes = static_cast<const unsigned char*>(ssh_string_data(handle));
    head.insert(head.end(), handleBytes, handleBytes + handleSize);
    PutUint64(head, offset);
    PutUint32(head, size);
    if (ssh_channel_write(sftp_->channel, head.data(), static_cast<uint32_t>(head.size())) !=
            static_cast<int>(head.size()) ||
        ssh_channel_write(sftp_->channel, data, size) != static_cast<int>(size)) {
        channelFailed_ = true;
        return false;
    }
    ++inFlight_;
    return true;
}

bool SftpWritePipeline::Collect(SshError& error) {
    unsigned char length[4];
    if (!ReadExactly(length, 4)) {
        error = {ssh_get_error_code(sftp_->session), false, "the connection closed during a write"};
        return false;
    }
    uint32_t size = GetUint32(length);
    if (size < 1 + 4 + 4 || size > kLargestStatus) {
        channelFailed_ = true;
        error = {0, false, "the server's answer to a write was malformed"};
        return false;
    }
    std::vector<unsigned char> body(size);
    if (!ReadExactly(body.data(), size)) {
        error = {ssh_get_error_code(sftp_->session), false, "the connection closed during a write"};
        return false;
    }
    --inFlight_;
    if (body[0] != kStatus) {
        channelFailed_ = true;
        error = {0, false, "the server answered a write with something other than a status"};
        return false;
    }
    uint32_t code = GetUint32(&body[5]);
    if (code == SSH_FX_OK) return true;
    std::string text;
    if (size >= 13) {
        uint32_t textSize = GetUint32(&body[9]);
        if (textSize <= size - 13) text.assign(reinterpret_cast<char*>(&body[13]), textSize);
    }
    error = {static_cast<int>(code), true,
             "SFTP server: " + (text.empty() ? "write failed" : text)};
    return false;
}

bool SftpWritePipeline::ReadExactly(void* buffer, uint32_t size) {
    auto* at = static_cast<char*>(buffer);
    while (size > 0) {
        int got = ssh_channel_read(sftp_->channel, at, size, 0);
        if (got <= 0) {
            channelFailed_ = true;
            return false;
        }
        at += got;
        size -= static_cast<uint32_t>(got);
    }
    return true;
}
