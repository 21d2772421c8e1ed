#include "wininet/FtpControl.h"

#include <wininet.h>

#include <algorithm>
#include <cctype>

#include "wininet/LastResponse.h"
#include "wininet/ServerText.h"

namespace {

// A reply larger than this is no FTP reply; refusing it bounds the memory a
// hostile server can make us hold.
constexpr size_t kMaxReplyBytes = 1 << 20;

// A TLS stream that breaks once the session runs (an alert, a record cut
// short) leaves nothing to go on with: the connection is lost as surely as
// one the server closed.
DWORD LostIfBroken(DWORD error) {
    return error == ERROR_INTERNET_SECURITY_CHANNEL_ERROR ? ERROR_INTERNET_CONNECTION_ABORTED
                                                          : error;
}

int LeadingCode(const std::string& line) {
    if (line.size() < 3) return 0;
    for (int i = 0; i < 3; ++i)
        if (!isdigit(static_cast<unsigned char>(line[i]))) return 0;
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-') return 0;
    return atoi(line.substr(0, 3).c_str());
}

// A multi-line reply ends with a line that starts with its code, alone or before a blank.
bool EndsReply(const std::string& line, const std::string& code) {
    return line == code || line.compare(0, 4, code + " ") == 0;
}

}  // namespace

void RecordAsLastResponse(const FtpReply& reply) {
    RecordLastResponse(reply.code, DecodeServerText(reply.text + "\r\n"));
}

DWORD FtpControl::ReadLine(std::string& line, ULONGLONG deadline) {
    for (;;) {
        size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line.assign(pending_, 0, end > 0 && pending_[end - 1] == '\r' ? end - 1 : end);
            pending_.erase(0, end + 1);
            return 0;
        }
        if (pending_.size() > kMaxReplyBytes) return ERROR_INTERNET_INVALID_OPERATION;
        char chunk[4096];
        size_t received = 0;
        DWORD error = socket_.Receive(chunk, sizeof(chunk), received, deadline);
        if (error) return LostIfBroken(error);
        if ((error = Keep(chunk, received))) return error;
    }
}

DWORD FtpControl::ReadReply(FtpReply& reply) { return ReadReplyWithin(FtpReplyBoundMs(), reply); }

DWORD FtpControl::ReadReplyWithin(DWORD boundMs, FtpReply& reply) {
    ULONGLONG deadline = GetTickCount64() + boundMs;
    DWORD error = ReadAwaited(deadline);
    if (!error) error = ReadOneReply(deadline, reply);
    if (!error && preliminaryOwed_) {
        preliminaryOwed_ = false;
        if (reply.Class() == 1) error = ReadOneReply(deadline, reply);
    }
    return error;
}

bool FtpControl::ReplyReceived() const {
    size_t end = pending_.find('\n');
    if (end == std::string::npos) return false;
    if (end < 4 || pending_[3] != '-') return true;
    const std::string code = pending_.substr(0, 3);
    for (size_t start = end + 1; (end = pending_.find('\n', start)) != std::string::npos;
         start = end + 1) {
        std::string line = pending_.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (EndsReply(line, code)) return true;
    }
    return false;
}

DWORD FtpControl::ReceiveIfThere(bool& nothingYet) {
    char chunk[4096];
    size_t received = 0;
    DWORD error = socket_.ReceiveNow(chunk, sizeof(chunk), received, nothingYet);
    if (error || nothingYet) return LostIfBroken(error);
    if ((error = Keep(chunk, received))) return error;
    return pending_.size() > kMaxReplyBytes ? ERROR_INTERNET_INVALID_OPERATION : 0;
}

// Nothing at all means the server closed the connection.
DWORD FtpControl::Keep(const char* chunk, size_t received) {
    if (received == 0) return ERROR_INTERNET_CONNECTION_ABORTED;
    pending_.append(chunk, received);
    return 0;
}

DWORD FtpControl::ReadAwaited(ULONGLONG deadline) {
    while (!awaited_.empty()) {
        FtpReply reply;
        DWORD error = ReadOneReply(deadline, reply);
        if (error) return error;
        if (awaited_.front()) {
            kept_ = reply;
            keptRead_ = true;
        }
        awaited_.pop_front();
    }
    return 0;
}

DWORD FtpControl::ReadOneReply(ULONGLONG deadline, FtpReply& reply) {
    std::string line;
    DWORD error = ReadLine(line, deadline);
    if (error) return error;
    reply.code = LeadingCode(line);
    if (reply.code == 0) return ERROR_INTERNET_INVALID_OPERATION;
    reply.text = line;
    if (line.size() > 3 && line[3] == '-') {
        const std::string code = line.substr(0, 3);
        do {
            error = ReadLine(line, deadline);
            if (error) return error;
            if (reply.text.size() + line.size() > kMaxReplyBytes)
                return ERROR_INTERNET_INVALID_OPERATION;
            reply.text += "\r\n" + line;
        } while (!EndsReply(line, code));
    }
    RecordAsLastResponse(reply);
    return reply.code == 421 ? ERROR_FTP_DROPPED : 0;
}

// The waiting commands go first, in the same write.
DWORD FtpControl::Send(const std::string& line) {
    std::string lines;
    lines.swap(waiting_);
    awaited_.insert(awaited_.end(), unsent_.begin(), unsent_.end());
    unsent_.clear();
    return SendBytes(lines + line + "\r\n");
}

DWORD FtpControl::SendBytes(const std::string& lines) {
    return LostIfBroken(socket_.Send(lines.data(), lines.size()));
}

void FtpControl::SendWithNext(const std::string& line, bool keepReply) {
    if (keepReply) {
        for (auto* due : {&awaited_, &unsent_}) std::fill(due->begin(), due->end(), false);
        keptRead_ = false;
    }
    waiting_ += line + "\r\n";
    unsent_.push_back(keepReply);
}

bool FtpControl::TakeKept(FtpReply& reply) {
    if (!keptRead_) return false;
    keptRead_ = false;
    reply = kept_;
    RecordAsLastResponse(reply);
    return true;
}

DWORD FtpControl::SendAbort() {
    static const char kInterrupt[] = "\xFF\xF4\xFF", kDataMark = '\xF2';
    DWORD error = socket_.Send(kInterrupt, sizeof(kInterrupt) - 1);
    if (!error) error = socket_.SendUrgent(kDataMark);
    // Alone: a waiting command goes with the next one after the transfer.
    return error ? error : SendBytes("ABOR\r\n");
}

DWORD FtpControl::Command(const std::string& line, FtpReply& reply) {
    DWORD error = Send(line);
    return error ? error : ReadReply(reply);
}

DWORD FtpControl::StartTls(TlsContext& context) {
    if (!pending_.empty()) return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    return socket_.StartTls(context, false);
}
