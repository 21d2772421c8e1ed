#include "wininet/FtpControl.h"

#include <wininet.h>

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

}  // namespace

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
        if (received == 0) return ERROR_INTERNET_CONNECTION_ABORTED;
        pending_.append(chunk, received);
    }
}

DWORD FtpControl::ReadReply(FtpReply& reply) { return ReadReplyWithin(FtpReplyBoundMs(), reply); }

DWORD FtpControl::ReadReplyWithin(DWORD boundMs, FtpReply& reply) {
    ULONGLONG deadline = GetTickCount64() + boundMs;
    std::string line;
    DWORD error = ReadLine(line, deadline);
    if (error) return error;
    reply.code = LeadingCode(line);
    if (reply.code == 0) return ERROR_INTERNET_INVALID_OPERATION;
    reply.text = line;
    // A multi-line reply ends with a line that starts with the same code and a blank.
    if (line.size() > 3 && line[3] == '-') {
        std::string last = line.substr(0, 3) + " ";
        do {
            error = ReadLine(line, deadline);
            if (error) return error;
            if (reply.text.size() + line.size() > kMaxReplyBytes)
                return ERROR_INTERNET_INVALID_OPERATION;
            reply.text += "\r\n" + line;
        } while (line.compare(0, 4, last) != 0 && line != last.substr(0, 3));
    }
    RecordLastResponse(reply.code, DecodeServerText(reply.text + "\r\n"));
    return reply.code == 421 ? ERROR_FTP_DROPPED : 0;
}

DWORD FtpControl::Send(const std::string& line) {
    std::string command = line + "\r\n";
    return LostIfBroken(socket_.Send(command.data(), command.size()));
}

DWORD FtpControl::SendAbort() {
    static const char kInterrupt[] = "\xFF\xF4\xFF", kDataMark = '\xF2';
    DWORD error = socket_.Send(kInterrupt, sizeof(kInterrupt) - 1);
    if (!error) error = socket_.SendUrgent(kDataMark);
    return error ? error : Send("ABOR");
}

DWORD FtpControl::Command(const std::string& line, FtpReply& reply) {
    DWORD error = Send(line);
    return error ? error : ReadReply(reply);
}

DWORD FtpControl::StartTls(TlsContext& context) {
    if (!pending_.empty()) return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    return socket_.StartTls(context, false);
}
