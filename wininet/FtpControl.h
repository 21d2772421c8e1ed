#pragma once

#include <deque>
#include <string>

#include "wininet/FtpSocket.h"

struct FtpReply {
    int code = 0;
    std::string text;  // every line of the reply, CRLF-separated

    int Class() const { return code / 100; }
};

// Makes the reply the one InternetGetLastResponseInfo gives on this thread.
void RecordAsLastResponse(const FtpReply& reply);

// The control connection: commands out, numbered replies in. Results are
// WinINet error codes; a reply of any code is a success at this level. A
// reply fails when it stalls for the idle bound or, however it trickles in,
// takes longer than the reply bound in all. A command may wait to go out
// with the next one (SendWithNext): over a long link every wait for a reply
// costs a round trip. Its reply is read before the next command's, and kept
// for TakeKept or dropped.
class FtpControl {
  public:
    DWORD Connect(const sockaddr* address, int length) { return socket_.Connect(address, length); }
    DWORD ReadReply(FtpReply& reply);
    // The same with a bound of the caller's, for replies that must come quickly or not at all.
    DWORD ReadReplyWithin(DWORD boundMs, FtpReply& reply);
    DWORD Command(const std::string& line, FtpReply& reply);
    DWORD Send(const std::string& line);
    // A whole reply came already: reading it waits for nothing.
    bool ReplyReceived() const;
    // Plain connections: takes in what came, without waiting; nothingYet when nothing did.
    DWORD ReceiveIfThere(bool& nothingYet);
    // The transfer's preliminary reply (1xx) is still to come, after data that
    // came first: the next reply read passes over it.
    void OwePreliminary() { preliminaryOwed_ = true; }
    // Keeping its reply forgets the one kept before, read or not.
    void SendWithNext(const std::string& line, bool keepReply);
    // The kept reply once it was read; false before.
    bool TakeKept(FtpReply& reply);
    bool HasWaiting() const { return !waiting_.empty(); }
    // Two commands in one write, the second sent without waiting for the first's reply.
    DWORD SendBoth(const std::string& first, const std::string& second) {
        return Send(first + "\r\n" + second);
    }
    // ABOR after the Telnet interrupt and an urgent Synch, which a server busy
    // with a transfer notices although it reads no commands meanwhile.
    DWORD SendAbort();
    void Abort() { socket_.Abort(); }
    // After the server accepted AUTH TLS. Bytes that came after that reply were
    // sent in the clear and could be a third party's: they fail the handshake.
    DWORD StartTls(TlsContext& context);
    FtpSocket& Socket() { return socket_; }

  private:
    DWORD ReadLine(std::string& line, ULONGLONG deadline);
    // Adds received bytes to those not yet taken as lines.
    DWORD Keep(const char* chunk, size_t received);
    DWORD ReadOneReply(ULONGLONG deadline, FtpReply& reply);
    // The replies of commands sent with an earlier one, which come first.
    DWORD ReadAwaited(ULONGLONG deadline);
    DWORD SendBytes(const std::string& lines);

    FtpSocket socket_;
    std::string pending_;                // received bytes not yet taken as lines
    std::string waiting_;                // lines that go out with the next command
    std::deque<bool> unsent_, awaited_;  // per command of waiting_ and sent since: kept?
    bool keptRead_ = false;
    bool preliminaryOwed_ = false;
    FtpReply kept_;
};
