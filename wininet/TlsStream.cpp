#include "wininet/TlsStream.h"

#include <wininet.h>

#include <algorithm>
#include <cstring>

#include "wininet/FtpSocket.h"
#include "wininet/TlsContext.h"

namespace {

// Several records per receive and per send: far fewer system calls (costly
// under Wine) than one per record header, body or record.
constexpr size_t kInboxBytes = 256 * 1024;
constexpr size_t kOutboxBytes = 256 * 1024;

bool IsAddress(const std::string& host) {
    in6_addr address;
    return inet_pton(AF_INET, host.c_str(), &address) == 1 ||
           inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

}  // namespace

TlsStream::TlsStream(FtpSocket& socket) : socket_(socket), inbox_(kInboxBytes) {
    mbedtls_ssl_init(&ssl_);
    outbox_.reserve(kOutboxBytes);
}

TlsStream::~TlsStream() { mbedtls_ssl_free(&ssl_); }

// While Write runs, records gather in the outbox; elsewhere (the handshake, an
// alert) each goes out at once, since an answer may be awaited.
int TlsStream::SendRaw(void* stream, const unsigned char* data, size_t length) {
    TlsStream& self = *static_cast<TlsStream*>(stream);
    const char* bytes = reinterpret_cast<const char*>(data);
    if (self.batching_ && self.outbox_.size() + length <= kOutboxBytes) {
        self.outbox_.append(bytes, length);
        return static_cast<int>(length);
    }
    if (!self.ioError_) self.ioError_ = self.Flush();
    if (!self.ioError_) self.ioError_ = self.socket_.SendPlain(bytes, length);
    return self.ioError_ ? MBEDTLS_ERR_SSL_INTERNAL_ERROR : static_cast<int>(length);
}

DWORD TlsStream::Flush() {
    DWORD error = outbox_.empty() ? 0 : socket_.SendPlain(outbox_.data(), outbox_.size());
    outbox_.clear();
    return error;
}

int TlsStream::ReceiveRaw(void* stream, unsigned char* buffer, size_t capacity) {
    TlsStream& self = *static_cast<TlsStream*>(stream);
    if (self.inStart_ == self.inEnd_) {
        size_t received = 0;
        self.ioError_ = self.socket_.ReceivePlain(self.inbox_.data(), self.inbox_.size(), received,
                                                  self.deadline_);
        if (self.ioError_) return MBEDTLS_ERR_SSL_INTERNAL_ERROR;
        if (received == 0) return 0;
        self.inStart_ = 0;
        self.inEnd_ = received;
    }
    size_t count = std::min(capacity, self.inEnd_ - self.inStart_);
    memcpy(buffer, self.inbox_.data() + self.inStart_, count);
    self.inStart_ += count;
    return static_cast<int>(count);
}

DWORD TlsStream::Failure(int code) const {
    if (ioError_) return ioError_;
    return code == MBEDTLS_ERR_SSL_CONN_EOF ? ERROR_INTERNET_CONNECTION_ABORTED
                                            : ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
}

DWORD TlsStream::Handshake(TlsContext& context, bool resume) {
    if (mbedtls_ssl_setup(&ssl_, context.Config()) != 0)
        return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    // The server's name goes along (SNI), an address never may.
    if (!IsAddress(context.Host()) && mbedtls_ssl_set_hostname(&ssl_, context.Host().c_str()) != 0)
        return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    if (resume && context.Session()) mbedtls_ssl_set_session(&ssl_, context.Session());
    mbedtls_ssl_set_bio(&ssl_, this, SendRaw, ReceiveRaw, nullptr);
    int result = mbedtls_ssl_handshake(&ssl_);
    // A connection closed during the handshake is no working secure channel either.
    if (result != 0) return ioError_ ? ioError_ : ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    if (!resume) context.KeepSession(ssl_);
    return 0;
}

DWORD TlsStream::Write(const char* data, size_t length) {
    batching_ = true;
    DWORD error = 0;
    while (!error && length > 0) {
        int written =
            mbedtls_ssl_write(&ssl_, reinterpret_cast<const unsigned char*>(data), length);
        if (written < 0) error = Failure(written);
        data += written > 0 ? written : 0;
        length -= written > 0 ? static_cast<size_t>(written) : 0;
    }
    batching_ = false;
    DWORD flushed = Flush();
    return error ? error : flushed;
}

DWORD TlsStream::Read(char* buffer, size_t capacity, size_t& received, ULONGLONG deadline) {
    received = 0;
    deadline_ = deadline;
    for (;;) {
        int count = mbedtls_ssl_read(&ssl_, reinterpret_cast<unsigned char*>(buffer), capacity);
        if (count > 0) {
            received = static_cast<size_t>(count);
            return 0;
        }
        if (count == MBEDTLS_ERR_SSL_PEER_CLOSE_NOTIFY) return 0;
        // A record without data (a ticket, a warning) is read past.
        if (count == MBEDTLS_ERR_SSL_WANT_READ) continue;
        // The transport ended without close_notify: the data may be cut short.
        return Failure(count == 0 ? MBEDTLS_ERR_SSL_CONN_EOF : count);
    }
}

DWORD TlsStream::CloseNotify() {
    if (notified_) return 0;
    notified_ = true;
    int result = mbedtls_ssl_close_notify(&ssl_);
    return result ? Failure(result) : 0;
}

std::vector<std::string> TlsStream::PeerChain() const {
    std::vector<std::string> chain;
    for (const mbedtls_x509_crt* cert = mbedtls_ssl_get_peer_cert(&ssl_); cert; cert = cert->next)
        chain.emplace_back(reinterpret_cast<const char*>(cert->raw.p), cert->raw.len);
    return chain;
}
