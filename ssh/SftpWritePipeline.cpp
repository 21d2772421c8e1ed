#include "ssh/SftpWritePipeline.h"

#include <libssh/libssh.h>

namespace {

// 64 KiB per request and 16 of them on the way: a megabyte in flight keeps a long link
// busy, and every OpenSSH server takes writes of that size.
constexpr size_t kChunk = 64 * 1024;
constexpr int kDepth = 16;
constexpr const char* kWhat = "Can't write the file";

}  // namespace

bool SftpWritePipeline::Write(const char* data, size_t size, SshError& error) {
    while (size > 0 && !failed_) {
        // Half the answers at a time once all are out, so that the writes after them
        // gather into a few large channel writes, not one small one per answer.
        if (inFlight_ >= kDepth)
            while (inFlight_ > kDepth / 2 && !failed_) Collect();
        if (failed_) break;
        uint32_t piece = static_cast<uint32_t>(size < kChunk ? size : kChunk);
        uint32_t id;
        if (!wire_.Send(SftpWire::kWrite, handle_, offset_, piece, data, &id)) {
            channelFailed_ = failed_ = true;
            firstError_ = wire_.ChannelError(kWhat);
            break;
        }
        ++inFlight_;
        offset_ += piece;
        data += piece;
        size -= piece;
    }
    if (failed_) error = firstError_;
    return !failed_;
}

bool SftpWritePipeline::Finish(SshError& error) {
    // Every answer is read even after a refused write, so the session stays in step.
    while (inFlight_ > 0 && !channelFailed_) Collect();
    if (failed_) error = firstError_;
    return !failed_;
}

// Takes one answer; the first failure is the one kept.
void SftpWritePipeline::Collect() {
    SftpWire::Answer answer;
    uint32_t code = SSH_FX_OK;
    SshError refused;
    bool read = wire_.ReadAnswer(answer) &&
                (answer.type == SftpWire::kStatus
                     ? wire_.ReadStatus(answer.rest, kWhat, &code, refused)
                     : wire_.Malformed("the server answered a write with something else"));
    if (!read) {
        if (!failed_) firstError_ = wire_.ChannelError(kWhat);
        channelFailed_ = failed_ = true;
        return;
    }
    --inFlight_;
    if (code != SSH_FX_OK && !failed_) {
        firstError_ = refused;
        failed_ = true;
    }
}
