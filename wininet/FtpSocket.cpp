#include "wininet/FtpSocket.h"

#include <wininet.h>

#include <algorithm>

#include "wininet/TlsStream.h"

namespace {

// Every event a wait may look for; selected once per socket.
constexpr long kNetworkEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE | FD_ACCEPT;

std::atomic<DWORD> idleBoundMs{kFtpTimeoutMs};
std::atomic<DWORD> replyBoundMs{3 * kFtpTimeoutMs};

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

// A caller's deadline (0: none), no later than the idle bound from now.
ULONGLONG WithinIdleBound(ULONGLONG deadline) {
    ULONGLONG idle = GetTickCount64() + idleBoundMs;
    return !deadline || idle < deadline ? idle : deadline;
}

int AddressLength(const sockaddr_storage& address) {
    return address.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
}

}  // namespace

DWORD FtpIdleBoundMs() { return idleBoundMs; }

DWORD FtpReplyBoundMs() { return replyBoundMs; }

void SetFtpWaitBounds(DWORD idleMs, DWORD replyMs) {
    idleBoundMs = idleMs;
    replyBoundMs = replyMs;
}

FtpWakeEvent::~FtpWakeEvent() {
    if (event_) CloseHandle(event_);
}

// Resetting itself as it wakes its waiter: under Wine a reset of its own is
// one more round trip to the Wine server for every wait.
WSAEVENT FtpWakeEvent::Get() {
    if (!event_) event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return event_;
}

FtpSocket::FtpSocket() = default;

FtpSocket::~FtpSocket() { Close(); }

// The event selection also makes the socket non-blocking.
DWORD FtpSocket::Adopt(SOCKET socket) {
    socket_ = socket;
    peer_ = sockaddr_storage();
    if (socket == INVALID_SOCKET) return ERROR_INTERNET_CANNOT_CONNECT;
    wake_ = wakeSource_->Get();
    if (!wake_) return ERROR_INTERNET_CANNOT_CONNECT;
    return WSAEventSelect(socket, wake_, kNetworkEvents) == 0 ? 0 : ERROR_INTERNET_CANNOT_CONNECT;
}

// Small writes go out at once: a TLS handshake or a command in several writes
// would otherwise wait for the peer's delayed acknowledgement, some 40 ms per
// data connection. Set once connected: under Wine a socket not yet connected
// asks the Wine server for its descriptor on every call, a connected one once.
void FtpSocket::SendSmallWritesAtOnce() {
    BOOL noDelay = TRUE;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&noDelay),
               sizeof(noDelay));
}

DWORD FtpSocket::Create(int family) {
    Close();
    return Adopt(socket(family, SOCK_STREAM, IPPROTO_TCP));
}

// Waits on the event rather than polling: under Wine an event wakes the
// waiter sooner, and an abort sets the same event, so a blocked call returns at once.
// Only a connect asks which events came, for its error; any other wait leaves
// that to the call it waited for, which is tried again: under Wine asking
// costs three round trips to the Wine server.
DWORD FtpSocket::WaitFor(long events, ULONGLONG deadline) {
    deadline = WithinIdleBound(deadline);
    DWORD outcome = 0;
    if ((events & FD_CONNECT) && Settled(events, outcome)) return outcome;
    FtpSocket* const self[] = {this};
    for (;;) {
        if (DWORD error = WaitForWake(self, 1, deadline)) return error;
        if (!(events & FD_CONNECT) || Settled(events, outcome)) return outcome;
    }
}

DWORD FtpSocket::WaitForWake(FtpSocket* const sockets[], DWORD count, ULONGLONG deadline) {
    HANDLE wakes[2];
    for (DWORD i = 0; i < count; ++i) wakes[i] = sockets[i]->wake_;
    auto aborted = [&] {
        for (DWORD i = 0; i < count; ++i)
            if (sockets[i]->aborted_) return true;
        return false;
    };
    for (;;) {
        if (aborted()) return ERROR_INTERNET_OPERATION_CANCELLED;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return ERROR_INTERNET_TIMEOUT;
        DWORD woken =
            WaitForMultipleObjects(count, wakes, FALSE, static_cast<DWORD>(deadline - now));
        if (aborted()) return ERROR_INTERNET_OPERATION_CANCELLED;
        if (woken - WAIT_OBJECT_0 < count) return 0;
    }
}

// Whether one of the events (or the end of the stream) came, with a failed
// connect's error in outcome; the event is reset either way.
bool FtpSocket::Settled(long events, DWORD& outcome) {
    WSANETWORKEVENTS happened;
    outcome = 0;
    if (WSAEnumNetworkEvents(socket_, wake_, &happened) != 0)
        outcome = ErrorFromSocket(WSAGetLastError());
    else if ((happened.lNetworkEvents & FD_CONNECT) && happened.iErrorCode[FD_CONNECT_BIT])
        outcome = ErrorFromSocket(happened.iErrorCode[FD_CONNECT_BIT]);
    // The call that waited finds out what the end of the stream means for it.
    else if (!(happened.lNetworkEvents & (events | FD_CLOSE)))
        return false;
    return true;
}

DWORD FtpSocket::Connect(const sockaddr* address, int length) {
    DWORD error = StartConnect(address, length);
    return error ? error : FinishConnect();
}

DWORD FtpSocket::StartConnect(const sockaddr* address, int length) {
    DWORD error = Create(address->sa_family);
    if (error) return error;
    connecting_ = connect(socket_, address, length) != 0;
    if (connecting_ && WSAGetLastError() != WSAEWOULDBLOCK)
        return ErrorFromSocket(WSAGetLastError());
    if (!connecting_) SendSmallWritesAtOnce();
    return 0;
}

// A connect nearby is mostly through by the time it is asked about. Asking
// the system for the peer costs one round trip to the Wine server, for the
// socket's descriptor, which the calls after it use anyway; asking which
// events came costs three. Only a connect not yet through, or failed, waits
// for its event, which carries its error.
DWORD FtpSocket::FinishConnect() {
    if (!connecting_) return 0;
    connecting_ = false;
    sockaddr_storage peer;
    DWORD error = PeerAddress(peer) ? 0 : WaitFor(FD_CONNECT);
    if (!error) SendSmallWritesAtOnce();
    return error;
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

// The peer's address is taken from the accept itself: a server that resets the
// connection at once (a failed transfer) would otherwise leave no peer to ask
// for, and its connection would look like a stranger's.
DWORD FtpSocket::AcceptFrom(FtpSocket& listener) {
    for (;;) {
        sockaddr_storage from = {};
        int length = sizeof(from);
        SOCKET accepted = accept(listener.socket_, reinterpret_cast<sockaddr*>(&from), &length);
        if (accepted != INVALID_SOCKET) {
            DWORD error = Adopt(accepted);
            peer_ = from;
            if (!error) SendSmallWritesAtOnce();
            return error;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) return ErrorFromSocket(WSAGetLastError());
        if (DWORD error = listener.WaitFor(FD_ACCEPT)) return error;
    }
}

DWORD FtpSocket::Send(const char* data, size_t length) {
    return tls_ ? tls_->Write(data, length) : SendPlain(data, length);
}

DWORD FtpSocket::Receive(char* buffer, size_t capacity, size_t& received, ULONGLONG deadline) {
    if (!tls_) return ReceivePlain(buffer, capacity, received, deadline);
    return tls_->Read(buffer, capacity, received, deadline);
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
        DWORD error = WaitFor(FD_WRITE);
        if (error) return error;
    }
    return 0;
}

DWORD FtpSocket::SendUrgent(char byte) {
    if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
    // Under TLS it is left out: a server that reads urgent bytes inline (vsftpd)
    // would find it inside a TLS record and lose the connection.
    if (tls_) return 0;
    return send(socket_, &byte, 1, MSG_OOB) == 1 ? 0 : ErrorFromSocket(WSAGetLastError());
}

DWORD FtpSocket::ReceivePlain(char* buffer, size_t capacity, size_t& received, ULONGLONG deadline) {
    for (;;) {
        bool nothingYet = false;
        DWORD error = ReceiveNow(buffer, capacity, received, nothingYet);
        if (error || !nothingYet) return error;
        error = WaitFor(FD_READ, deadline);
        if (error) return error;
    }
}

DWORD FtpSocket::ReceiveNow(char* buffer, size_t capacity, size_t& received, bool& nothingYet) {
    if (!TakeAhead(buffer, capacity, received))
        return ReceiveFromWire(buffer, capacity, received, nothingYet);
    nothingYet = false;
    return 0;
}

DWORD FtpSocket::ReceiveFromWire(char* buffer, size_t capacity, size_t& received,
                                 bool& nothingYet) {
    received = 0;
    nothingYet = false;
    if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
    int chunk = capacity > 0x40000000 ? 0x40000000 : static_cast<int>(capacity);
    int count = recv(socket_, buffer, chunk, 0);
    if (aborted_) return ERROR_INTERNET_OPERATION_CANCELLED;
    if (count >= 0) {
        received = static_cast<size_t>(count);
        return 0;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) return ErrorFromSocket(WSAGetLastError());
    nothingYet = true;
    return 0;
}

DWORD FtpSocket::ReceiveAhead(bool& came) {
    constexpr size_t kAhead = 16 * 1024;
    ahead_.resize(kAhead);
    size_t received = 0;
    bool nothingYet = false;
    DWORD error = ReceiveFromWire(&ahead_[0], kAhead, received, nothingYet);
    ahead_.resize(received);
    came = !error && !nothingYet;
    endedAhead_ = came && received == 0;
    return error;
}

bool FtpSocket::TakeAhead(char* buffer, size_t capacity, size_t& received) {
    if (!endedAhead_ && ahead_.empty()) return false;
    received = std::min(capacity, ahead_.size());  // none once the end came ahead
    ahead_.copy(buffer, received);
    ahead_.erase(0, received);
    return true;
}

DWORD FtpSocket::WaitForEither(FtpSocket& one, FtpSocket& other, ULONGLONG deadline) {
    FtpSocket* const both[] = {&one, &other};
    return WaitForWake(both, 2, WithinIdleBound(deadline));
}

// Without TLS the close that follows ends the data as surely, and under Wine a
// shutdown costs two round trips to the Wine server per file.
void FtpSocket::FinishSending() {
    if (!IsOpen() || !tls_) return;
    if (!aborted_) tls_->CloseNotify();
    shutdown(socket_, SD_SEND);
}

// The flag is set before the event, so whoever the event wakes sees it. A
// closed socket has no waiter (only its owner waits, and it closed it), and
// its event may already serve the next socket, which must not wake for nothing.
void FtpSocket::Abort() {
    aborted_ = true;
    HANDLE wake = wake_;
    if (wake && IsOpen()) SetEvent(wake);
}

void FtpSocket::AbortWithReset() {
    SOCKET open = socket_;
    if (open != INVALID_SOCKET) {
        // A zero linger makes the close send a reset instead of an orderly end.
        linger reset = {1, 0};
        setsockopt(open, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&reset), sizeof(reset));
    }
    Abort();
}

void FtpSocket::Close() {
    if (tls_ && !aborted_ && IsOpen()) tls_->CloseNotify();
    tls_.reset();
    SOCKET open = socket_.exchange(INVALID_SOCKET);
    if (open != INVALID_SOCKET) closesocket(open);
    ahead_.clear();
    endedAhead_ = false;
}

void FtpSocket::Renew() {
    Close();
    aborted_ = false;
}

bool FtpSocket::LocalAddress(sockaddr_storage& address) const {
    int length = sizeof(address);
    return getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
}

bool FtpSocket::PeerAddress(sockaddr_storage& address) {
    int length = sizeof(peer_);
    if (peer_.ss_family == AF_UNSPEC &&
        getpeername(socket_, reinterpret_cast<sockaddr*>(&peer_), &length) != 0)
        return false;
    address = peer_;
    return true;
}

bool AddressText(const sockaddr_storage& address, char* text, size_t capacity) {
    return getnameinfo(reinterpret_cast<const sockaddr*>(&address), AddressLength(address), text,
                       static_cast<DWORD>(capacity), nullptr, 0, NI_NUMERICHOST) == 0;
}
