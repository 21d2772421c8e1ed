#pragma once

#include <windows.h>

#include <mbedtls/ssl.h>

#include <string>
#include <vector>

class FtpSocket;
class TlsContext;

// TLS records over one socket, through the socket's own bounded and abortable
// waits, so a TLS connection gives up and is cancelled exactly as a plain one.
// Incoming bytes are read in large blocks, not record by record. Results are
// WinINet error codes.
class TlsStream {
  public:
    explicit TlsStream(FtpSocket& socket);
    ~TlsStream();
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // A data connection resumes the context's session; the control connection leaves it there.
    DWORD Handshake(TlsContext& context, bool resume);
    DWORD Write(const char* data, size_t length);
    // received == 0 only after the server's close_notify: an end without one is
    // a failure. A deadline (GetTickCount64) bounds the wait as the socket's does.
    DWORD Read(char* buffer, size_t capacity, size_t& received, ULONGLONG deadline = 0);
    // Tells the server the data is complete (once); a transfer without it is cut short.
    DWORD CloseNotify();
    // The server's certificates as DER, its own first.
    std::vector<std::string> PeerChain() const;

  private:
    static int SendRaw(void* stream, const unsigned char* data, size_t length);
    static int ReceiveRaw(void* stream, unsigned char* buffer, size_t capacity);
    DWORD Failure(int code) const;
    DWORD Flush();

    FtpSocket& socket_;
    mbedtls_ssl_context ssl_;
    DWORD ioError_ = 0;       // the socket's own failure behind a library error
    ULONGLONG deadline_ = 0;  // of the Read under way
    bool notified_ = false;
    bool batching_ = false;
    std::string outbox_;
    std::vector<char> inbox_;
    size_t inStart_ = 0;
    size_t inEnd_ = 0;
};
