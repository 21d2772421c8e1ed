#include "ssh/SftpReadPipeline.h"

#include <libssh/libssh.h>

#include <cstring>
#include <utility>

namespace {

// 64 KiB per request, which every SFTP server gives whole, and 2 MiB on the way to keep
// a long link busy (the wire lets the server send that far ahead). Deeper than the
// channel's window, requests would only wait on it.
constexpr uint32_t kChunk = 64 * 1024;
constexpr size_t kDepth = 32;
constexpr const char* kWhat = "Can't read the file";

}  // namespace

SftpReadPipeline::SftpReadPipeline(SftpWire& wire, std::string handle, uint64_t offset,
                                   uint64_t expectedSize)
    : wire_(wire),
      handle_(std::move(handle)),
      asked_(offset),
      expectedEnd_(expectedSize > offset ? expectedSize : 0) {
    if (expectedEnd_) {
        uint64_t requests = (expectedSize - offset + kChunk - 1) / kChunk + 1;
        window_ = requests < kDepth ? static_cast<size_t>(requests) : kDepth;
    }
    ReadAheadForWindow();
}

// Twice the bytes asked at a time, so the channel's window never holds the answers back.
// No more: each read that asks past the channel's window makes the library send the
// server a window adjustment, which a small file's read would pay for every time.
void SftpReadPipeline::ReadAheadForWindow() { wire_.SetReadAhead(2 * window_ * kChunk); }

SftpReadPipeline::~SftpReadPipeline() { wire_.SetReadAhead(SftpWire::kShortAnswers); }

bool SftpReadPipeline::Read(char* buffer, size_t capacity, size_t* got, SshError& error) {
    *got = GiveHeld(buffer, capacity);
    if (*got > 0) return true;
    if (failed_) {
        error = failure_;
        return false;
    }
    // More answers while a whole one still fits, so a large buffer fills in one call.
    while (!atEnd_ && (*got == 0 || capacity - *got >= kChunk)) {
        size_t taken = 0;
        if (!Ask(error) || !TakeFront(buffer + *got, capacity - *got, &taken, error)) {
            // What came before the failure is handed on; the failure comes next time.
            failure_ = error;
            failed_ = true;
            return *got > 0;
        }
        *got += taken;
        if (!held_.empty()) break;
    }
    return true;
}

size_t SftpReadPipeline::GiveHeld(char* buffer, size_t capacity) {
    size_t size = held_.size() - heldAt_;
    if (size > capacity) size = capacity;
    memcpy(buffer, held_.data() + heldAt_, size);
    heldAt_ += size;
    if (heldAt_ == held_.size()) {
        held_.clear();
        heldAt_ = 0;
    }
    return size;
}

// Fills the window once half of it was taken, so requests go out in batches. Nothing
// is asked past the request for the listed end until its answer says the file goes on.
bool SftpReadPipeline::Ask(SshError& error) {
    if (pending_.size() * 2 > window_) return true;
    while (pending_.size() < window_ &&
           !(expectedEnd_ && asked_ > expectedEnd_ && !pending_.empty())) {
        uint32_t id, size = NextRequestSize();
        if (!wire_.Send(SftpWire::kRead, handle_, asked_, size, nullptr, &id))
            return ChannelBroke(error);
        pending_.push_back({id, asked_, size});
        asked_ += size;
    }
    return true;
}

// A request that would pass the listed size stops there; from it on, whole chunks.
uint32_t SftpReadPipeline::NextRequestSize() const {
    if (asked_ < expectedEnd_ && expectedEnd_ - asked_ < kChunk)
        return static_cast<uint32_t>(expectedEnd_ - asked_);
    return kChunk;
}

// Takes the oldest request's answer: data, the end, or a refusal.
bool SftpReadPipeline::TakeFront(char* buffer, size_t capacity, size_t* got, SshError& error) {
    Request front = pending_.front();
    pending_.pop_front();
    SftpWire::Answer answer;
    if (!wire_.ReadAnswer(answer)) return ChannelBroke(error);
    if (answer.id != front.id) {
        wire_.Malformed("the server answered a read out of order");
        return ChannelBroke(error);
    }
    if (answer.type == SftpWire::kStatus) {
        uint32_t code;
        if (!wire_.ReadStatus(answer.rest, kWhat, &code, error)) return ChannelBroke(error);
        atEnd_ = code == SSH_FX_EOF;
        if (code == SSH_FX_OK) error = {0, true, std::string(kWhat) + ": the server sent no data"};
        return atEnd_;
    }
    if (answer.type != SftpWire::kData) {
        wire_.Malformed("the server answered a read with something else");
        return ChannelBroke(error);
    }
    uint32_t size = 0;
    if (!TakeData(front, answer.rest, buffer, capacity, got, &size)) return ChannelBroke(error);
    if (size == front.size && window_ < kDepth) {
        window_ = window_ * 2 < kDepth ? window_ * 2 : kDepth;
        ReadAheadForWindow();
    }
    if (size == front.size || atEnd_) return true;
    // A short answer: what was asked behind it starts at the wrong place.
    if (!Drop(error)) return false;
    asked_ = front.offset + size;
    return true;
}

bool SftpReadPipeline::TakeData(const Request& front, uint32_t rest, char* buffer, size_t capacity,
                                size_t* got, uint32_t* size) {
    if (rest < 4 || !wire_.ReadUint32(size)) return false;
    if (*size != rest - 4 || *size > front.size)
        return wire_.Malformed("the server's data answer was malformed");
    atEnd_ = *size == 0;  // nothing more to give: taken as the end
    if (*size <= capacity) {
        *got = *size;
        return wire_.ReadExactly(buffer, *size);
    }
    held_.resize(*size);
    if (!wire_.ReadExactly(held_.data(), *size)) return false;
    *got = GiveHeld(buffer, capacity);
    return true;
}

bool SftpReadPipeline::Drop(SshError& error) {
    while (!pending_.empty() && !channelFailed_) {
        pending_.pop_front();
        SftpWire::Answer answer;
        if (!wire_.ReadAnswer(answer) || !wire_.Skip(answer.rest)) return ChannelBroke(error);
    }
    pending_.clear();
    return !channelFailed_;
}

bool SftpReadPipeline::ChannelBroke(SshError& error) {
    channelFailed_ = true;
    error = wire_.ChannelError(kWhat);
    return false;
}
