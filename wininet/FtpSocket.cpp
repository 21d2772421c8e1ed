#include "wininet/FtpSocket.h"

#include <wininet.h>

#include "wininet/TlsStream.h"

namespace {

// Waits are cut into slices so that an abort is noticed even where shutting
// the socket down does not wake the poll.
constexpr DWORD kWaitSliceMs = 100;

DWORD ErrorFromSocket(int code) {
    switch (code) {
        case WSAECONNREFUSED:
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH:
        case WSAEADDRNOTAVAIL:
            return ERROR_INTERNET_CANNOT_CONNECT;
        case WSAECONNRESET:
            return ERROR_INTERNET_CONNECTION_RESET;
        case WSAETIMEDOUT:
            return ERROR_INTERNET_TIMEOUT;
        default:
            return ERROR_INTERNET_CONNECTION_ABORTED;
    }
}

int AddressLength(const sockaddr_storage& address) {
    return address.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
}

}  // namespace

FtpSocket::FtpSocket() = default;

FtpSocket::~FtpSocket() { Close(); }

DWORD FtpSocket::Create(int family) {
    Close();
    socket_ = socket(family, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET) return ERROR_INTERNET_CANNOT_CONNECT;
    u_long nonBlocking = 1;
    ioctlsocket(socket_, FIONBIO, &nonBlocking);
    return 0;
}

DWORD FtpSocket::WaitFor(short events) {
    ULONGLONG deadline = GetTickCount64() + kFtpTimeoutMs;
    for (;;) {
        if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
        WSAPOLLFD poll = {socket_.load(), events, 0};
        int ready = WSAPoll(&poll, 1, kWaitSliceMs);
        if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
        if (ready > 0) return 0;
        if (ready < 0) return ErrorFromSocket(WSAGetLastError());
        if (GetTickCount64() >= deadline) return ERROR_INTERNET_TIMEOUT;
    }
}

DWORD FtpSocket::Connect(const sockaddr* address, int length) {
    DWORD error = Create(address->sa_family);
    if (error) return error;
    if (connect(socket_, address, length) == 0) return 0;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return ErrorFromSocket(WSAGetLastError());
    error = WaitFor(POLLWRNORM);
    if (error) return error;
    int result = 0, size = sizeof(result);
    getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &size);
    return result ? ErrorFromSocket(result) : 0;
}

DWORD FtpSocket::Listen(const sockaddr_storage& address) {
    DWORD error = Create(address.ss_family);
    if (error) return error;
    sockaddr_storage local = address;
    if (local.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(local).sin6_port = 0;
    else
        reinterpret_cast<sockaddr_in&>(local).sin_port = 0;
    if (bind(socket_, reinterpret_cast<sockaddr*>(&local), AddressLength(local)) != 0 ||
        listen(socket_, 1) != 0)
        return ERROR_INTERNET_CANNOT_CONNECT;
    return 0;
}

DWORD FtpSocket::AcceptFrom(FtpSocket& listener) {
    DWORD error = listener.WaitFor(POLLRDNORM);
    if (error) return error;
    socket_ = accept(listener.socket_, nullptr, nullptr);
    if (socket_ == INVALID_SOCKET) return ErrorFromSocket(WSAGetLastError());
    u_long nonBlocking = 1;
    ioctlsocket(socket_, FIONBIO, &nonBlocking);
    return 0;
}

DWORD FtpSocket::Send(const char* data, size_t length) {
    return tls_ ? tls_->Write(data, length) : SendPlain(data, length);
}

DWORD FtpSocket::Receive(char* buffer, size_t capacity, size_t& received) {
    if (!tls_) return ReceivePlain(buffer, capacity, received);
    return tls_->Read(buffer, capacity, received);
}

DWORD FtpSocket::StartTls(TlsContext& context, bool resume) {
    tls_ = std::make_unique<TlsStream>(*this);
    DWORD error = tls_->Handshake(context, resume);
    if (error) tls_.reset();
    return error;
}

DWORD FtpSocket::SendPlain(const char* data, size_t length) {
    while (length > 0) {
        if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
        int chunk = length > 0x40000000 ? 0x40000000 : static_cast<int>(length);
        int sent = send(socket_, data, chunk, 0);
        if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
        if (sent > 0) {
            data += sent;
            length -= static_cast<size_t>(sent);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) return ErrorFromSocket(WSAGetLastError());
        DWORD error = WaitFor(POLLWRNORM);
        if (error) return error;
    }
    return 0;
}

DWORD FtpSocket::ReceivePlain(char* buffer, size_t capacity, size_t& received) {
    received = 0;
    int chunk = capacity > 0x40000000 ? 0x40000000 : static_cast<int>(capacity);
    for (;;) {
        if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
        int count = recv(socket_, buffer, chunk, 0);
        // An abort shuts the socket down, which can look like the end of the data.
        if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
        if (count >= 0) {
            received = static_cast<size_t>(count);
            return 0;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) return ErrorFromSocket(WSAGetLastError());
        DWORD error = WaitFor(POLLRDNORM);
        if (error) return error;
    }
}

void FtpSocket::FinishSending() {
    if (!IsOpen()) return;
    if (tls_ && !aborted_) tls_->CloseNotify();
    shutdown(socket_, SD_SEND);
}

void FtpSocket::Abort() {
    aborted_ = true;
    SOCKET open = socket_;
    if (open != INVALID_SOCKET) shutdown(open, SD_BOTH);
}

void FtpSocket::Close() {
    if (tls_ && !aborted_ && IsOpen()) tls_->CloseNotify();
    tls_.reset();
    SOCKET open = socket_.exchange(INVALID_SOCKET);
    if (open != INVALID_SOCKET) closesocket(open);
}

bool FtpSocket::LocalAddress(sockaddr_storage& address) const {
    int length = sizeof(address);
    return getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
}

bool FtpSocket::PeerAddress(sockaddr_storage& address) const {
    int length = sizeof(address);
    return getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
}

bool AddressText(const sockaddr_storage& address, char* text, size_t capacity) {
    return getnameinfo(reinterpret_cast<const sockaddr*>(&address), AddressLength(address), text,
                       static_cast<DWORD>(capacity), nullptr, 0, NI_NUMERICHOST) == 0;
}
