#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <cstddef>
#include <memory>

class TlsContext;
class TlsStream;

// Every wait on the network gives up after this long, so a server that stops
// answering costs the caller seconds, never a thread blocked for ever.
constexpr DWORD kFtpTimeoutMs = 10000;

// A non-blocking TCP socket whose waits are bounded and can be cut short from
// another thread. Results are WinINet error codes (0 for success). Once TLS
// has started on it, Send and Receive carry TLS records.
class FtpSocket {
  public:
    FtpSocket();
    ~FtpSocket();
    FtpSocket(const FtpSocket&) = delete;
    FtpSocket& operator=(const FtpSocket&) = delete;

    DWORD Connect(const sockaddr* address, int length);
    // Listens on the given address with a port chosen by the system.
    DWORD Listen(const sockaddr_storage& address);
    // Waits for one connection on a listening socket and takes it over.
    DWORD AcceptFrom(FtpSocket& listener);
    DWORD Send(const char* data, size_t length);
    // Receives what is there (at least one byte); received == 0 at the end of the stream.
    DWORD Receive(char* buffer, size_t capacity, size_t& received);
    // The bytes on the wire, beneath TLS.
    DWORD SendPlain(const char* data, size_t length);
    DWORD ReceivePlain(char* buffer, size_t capacity, size_t& received);
    // A data connection resumes the context's session (resume), the control connection starts it.
    DWORD StartTls(TlsContext& context, bool resume);
    TlsStream* Tls() const { return tls_.get(); }
    // With TLS, close_notify first: the server takes an upload without it as cut short.
    void FinishSending();
    // Safe from any thread: wakes a blocked wait, which then fails as cancelled.
    void Abort();
    // Only by the thread that owns the socket, once no other thread can use it.
    void Close();

    bool IsOpen() const { return socket_ != INVALID_SOCKET; }
    bool LocalAddress(sockaddr_storage& address) const;
    bool PeerAddress(sockaddr_storage& address) const;

  private:
    DWORD Create(int family);
    DWORD WaitFor(short events);

    // Atomic because an abort on another thread reads it while the owner sets it.
    std::atomic<SOCKET> socket_{INVALID_SOCKET};
    std::atomic<bool> aborted_{false};
    std::unique_ptr<TlsStream> tls_;
};

// The numeric text of an address ("127.0.0.1", "::1"), without the port.
bool AddressText(const sockaddr_storage& address, char* text, size_t capacity);
