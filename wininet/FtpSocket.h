#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

class TlsContext;
class TlsStream;

// Every wait on the network gives up after this long without progress, so a
// server that stops answering costs the caller seconds, never a thread
// blocked for ever.
constexpr DWORD kFtpTimeoutMs = 10000;

// The bounds in force: a wait without progress, and one whole reply however
// it trickles in. Settable (InternetSetOption) so tests need not wait long.
DWORD FtpIdleBoundMs();
DWORD FtpReplyBoundMs();
void SetFtpWaitBounds(DWORD idleMs, DWORD replyMs);

// The event a socket's waits sleep on, made on first use. Sockets used one
// after another (a control connection's data connections) share one: under
// Wine making and closing an event costs round trips to the Wine server, which
// a tree of small files would pay per file.
class FtpWakeEvent {
  public:
    FtpWakeEvent() = default;
    ~FtpWakeEvent();
    FtpWakeEvent(const FtpWakeEvent&) = delete;
    FtpWakeEvent& operator=(const FtpWakeEvent&) = delete;

    WSAEVENT Get();

  private:
    WSAEVENT event_ = nullptr;
};

// A non-blocking TCP socket whose waits are bounded and can be cut short from
// another thread. Every byte in or out passes through Send and Receive; once
// TLS has started on it, they carry TLS records. Results are WinINet error
// codes (0 for success).
class FtpSocket {
  public:
    FtpSocket();
    ~FtpSocket();
    FtpSocket(const FtpSocket&) = delete;
    FtpSocket& operator=(const FtpSocket&) = delete;

    // Before the socket is made: its waits use the given event instead of one of its own.
    void ShareWake(FtpWakeEvent& wake) { wakeSource_ = &wake; }
    DWORD Connect(const sockaddr* address, int length);
    // A connect in two halves, so that a command can travel while it completes.
    DWORD StartConnect(const sockaddr* address, int length);
    DWORD FinishConnect();
    // Listens on the given address with a port chosen by the system.
    DWORD Listen(const sockaddr_storage& address);
    // Waits for one connection on a listening socket and takes it over.
    DWORD AcceptFrom(FtpSocket& listener);
    DWORD Send(const char* data, size_t length);
    // One byte as urgent (out-of-band) data.
    DWORD SendUrgent(char byte);
    // Receives what is there (at least one byte); received == 0 at the end of
    // the stream. A deadline (GetTickCount64) bounds the wait beyond the idle bound.
    DWORD Receive(char* buffer, size_t capacity, size_t& received, ULONGLONG deadline = 0);
    // The bytes on the wire, beneath TLS.
    DWORD SendPlain(const char* data, size_t length);
    DWORD ReceivePlain(char* buffer, size_t capacity, size_t& received, ULONGLONG deadline = 0);
    // The same without waiting: nothingYet when no byte and no end has come.
    DWORD ReceiveNow(char* buffer, size_t capacity, size_t& received, bool& nothingYet);
    // Plain only: receives without waiting and keeps what came (data or the end
    // of the stream) for the next Receive; came tells whether anything did.
    DWORD ReceiveAhead(bool& came);
    bool EndedAhead() const { return endedAhead_; }
    // Until either socket has news (bytes, an end, an abort) or the idle bound passes.
    static DWORD WaitForEither(FtpSocket& one, FtpSocket& other, ULONGLONG deadline);
    // A data connection resumes the context's session (resume), the control connection starts it.
    DWORD StartTls(TlsContext& context, bool resume);
    TlsStream* Tls() const { return tls_.get(); }
    // The end of what is sent, before the close. With TLS, close_notify first:
    // the server takes an upload without it as cut short.
    void FinishSending();
    // Safe from any thread: wakes a blocked wait, which then fails as cancelled.
    void Abort();
    // Safe from any thread: like Abort, and the close that follows resets the
    // connection, so the peer sees the data cut short, never an orderly end.
    void AbortWithReset();
    // Only by the thread that owns the socket, once no other thread can use it.
    void Close();
    // The same, and an abort is forgotten, so that the socket can be made anew.
    void Renew();

    bool IsOpen() const { return socket_ != INVALID_SOCKET; }
    bool LocalAddress(sockaddr_storage& address) const;
    bool PeerAddress(sockaddr_storage& address);

  private:
    DWORD Create(int family);
    DWORD Adopt(SOCKET socket);
    void SendSmallWritesAtOnce();
    // Waits for one of the FD_* events, the end of the stream, an abort or a bound.
    DWORD WaitFor(long events, ULONGLONG deadline = 0);
    bool Settled(long events, DWORD& outcome);
    // One wait on the events of up to two sockets: 0 once one is set, else
    // the deadline or an abort of either.
    static DWORD WaitForWake(FtpSocket* const sockets[], DWORD count, ULONGLONG deadline);
    DWORD ReceiveFromWire(char* buffer, size_t capacity, size_t& received, bool& nothingYet);
    // Hands on what ReceiveAhead kept; false when it kept nothing.
    bool TakeAhead(char* buffer, size_t capacity, size_t& received);

    // Atomic because an abort on another thread reads it while the owner sets it.
    std::atomic<SOCKET> socket_{INVALID_SOCKET};
    std::atomic<bool> aborted_{false};
    // Signalled by the socket's events and by an abort; taken from wakeSource_
    // when the socket is made.
    std::atomic<WSAEVENT> wake_{nullptr};
    FtpWakeEvent ownWake_;
    FtpWakeEvent* wakeSource_ = &ownWake_;
    bool connecting_ = false;
    sockaddr_storage peer_ = {};  // asked once: it never changes, and each question costs
    std::string ahead_;           // received ahead, not yet handed on
    bool endedAhead_ = false;     // the end of the stream came ahead
    std::unique_ptr<TlsStream> tls_;
};

// The numeric text of an address ("127.0.0.1", "::1"), without the port.
bool AddressText(const sockaddr_storage& address, char* text, size_t capacity);
