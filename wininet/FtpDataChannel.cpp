#include "wininet/FtpDataChannel.h"

#include <wininet.h>

#include <cstdio>
#include <cstring>

namespace {

unsigned short PortOf(const sockaddr_storage& address) {
    return ntohs(address.ss_family == AF_INET6
                     ? reinterpret_cast<const sockaddr_in6&>(address).sin6_port
                     : reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

void SetPort(sockaddr_storage& address, unsigned port) {
    if (address.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(address).sin6_port = htons(static_cast<u_short>(port));
    else
        reinterpret_cast<sockaddr_in&>(address).sin_port = htons(static_cast<u_short>(port));
}

bool SameHost(const sockaddr_storage& a, const sockaddr_storage& b) {
    if (a.ss_family != b.ss_family) return false;
    if (a.ss_family == AF_INET6)
        return memcmp(&reinterpret_cast<const sockaddr_in6&>(a).sin6_addr,
                      &reinterpret_cast<const sockaddr_in6&>(b).sin6_addr, sizeof(in6_addr)) == 0;
    return reinterpret_cast<const sockaddr_in&>(a).sin_addr.s_addr ==
           reinterpret_cast<const sockaddr_in&>(b).sin_addr.s_addr;
}

// "229 Entering Extended Passive Mode (|||port|)"
bool ParseEpsvPort(const std::string& text, unsigned& port) {
    size_t open = text.find('(');
    if (open == std::string::npos || open + 4 >= text.size()) return false;
    char delimiter = text[open + 1];
    if (text[open + 2] != delimiter || text[open + 3] != delimiter) return false;
    char close = 0;
    return sscanf(text.c_str() + open + 4, "%u%c", &port, &close) == 2 && close == delimiter &&
           port > 0 && port < 65536;
}

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": only the port is used.
bool ParsePasvPort(const std::string& text, unsigned& port) {
    size_t start = text.find_first_of("0123456789", 4);
    if (start == std::string::npos) return false;
    unsigned h[4], p1, p2;
    if (sscanf(text.c_str() + start, "%u,%u,%u,%u,%u,%u", &h[0], &h[1], &h[2], &h[3], &p1, &p2) !=
            6 ||
        p1 > 255 || p2 > 255)
        return false;
    port = p1 * 256 + p2;
    return port > 0;
}

}  // namespace

// A command that went out behind a refused EPSV is refused in turn (it has no
// data connection); a server that announces it anyway has lost the thread.
DWORD FtpDataChannel::AskExtendedPassive(FtpControl& control, const FtpDataModes& modes,
                                         const std::string* command, FtpReply& reply) {
    if (!command || !modes.epsvGranted) return control.Command("EPSV", reply);
    DWORD error = control.SendBoth("EPSV", *command);
    if (!error) error = control.ReadReply(reply);
    if (error || reply.code == 229) {
        commandSent_ = !error;
        return error;
    }
    FtpReply refused;
    error = control.ReadReply(refused);
    return !error && refused.Class() == 1 ? ERROR_INTERNET_INVALID_OPERATION : error;
}

DWORD FtpDataChannel::RequestPassivePort(FtpControl& control, FtpDataModes& modes,
                                         const std::string* command, unsigned& port) {
    FtpReply reply;
    if (!modes.epsvRefused) {
        DWORD error = AskExtendedPassive(control, modes, command, reply);
        if (error) return error;
        if (reply.code == 229) {
            if (ParseEpsvPort(reply.text, port)) {
                modes.epsvGranted = true;
                return 0;
            }
            // The command sent along waits for a data connection that cannot come.
            return commandSent_ ? ERROR_INTERNET_INVALID_OPERATION : ERROR_FTP_NO_PASSIVE_MODE;
        }
        modes.epsvRefused = true;
    }
    DWORD error = control.Command("PASV", reply);
    if (error) return error;
    if (reply.code != 227) return ERROR_INTERNET_EXTENDED_ERROR;
    return ParsePasvPort(reply.text, port) ? 0 : ERROR_FTP_NO_PASSIVE_MODE;
}

DWORD FtpDataChannel::OfferActivePort(FtpControl& control, FtpDataModes& modes) {
    sockaddr_storage local = {};
    if (!control.Socket().LocalAddress(local)) return ERROR_INTERNET_CONNECTION_ABORTED;
    DWORD error = listener_.Listen(local);
    if (error) return error;
    char host[64];
    if (!listener_.LocalAddress(local) || !AddressText(local, host, sizeof(host)))
        return ERROR_INTERNET_CANNOT_CONNECT;
    unsigned port = PortOf(local);
    bool ipv6 = local.ss_family == AF_INET6;
    FtpReply reply;
    if (!modes.eprtRefused) {
        char command[128];
        snprintf(command, sizeof(command), "EPRT |%d|%s|%u|", ipv6 ? 2 : 1, host, port);
        error = control.Command(command, reply);
        if (error) return error;
        if (reply.Class() == 2) return 0;
        modes.eprtRefused = true;
    }
    if (ipv6) {
        modes.activeRefused = true;
        return ERROR_INTERNET_EXTENDED_ERROR;
    }
    const unsigned char* bytes =
        reinterpret_cast<const unsigned char*>(&reinterpret_cast<sockaddr_in&>(local).sin_addr);
    char command[64];
    snprintf(command, sizeof(command), "PORT %u,%u,%u,%u,%u,%u", bytes[0], bytes[1], bytes[2],
             bytes[3], port / 256, port % 256);
    error = control.Command(command, reply);
    if (error || reply.Class() == 2) return error;
    modes.activeRefused = reply.Class() == 4 || reply.Class() == 5;
    return ERROR_INTERNET_EXTENDED_ERROR;
}

DWORD FtpDataChannel::Prepare(FtpControl& control, bool passive, FtpDataModes& modes,
                              FtpWakeEvent& wake, const std::string* command) {
    passive_ = passive;
    commandSent_ = false;
    socket_.ShareWake(wake);
    listener_.ShareWake(wake);
    if (!passive) return OfferActivePort(control, modes);
    unsigned port = 0;
    DWORD error = RequestPassivePort(control, modes, command, port);
    if (error) return error;
    sockaddr_storage server = {};
    if (!control.Socket().PeerAddress(server)) return ERROR_INTERNET_CONNECTION_ABORTED;
    SetPort(server, port);
    int length = server.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    return socket_.StartConnect(reinterpret_cast<sockaddr*>(&server), length);
}

void FtpDataChannel::Renew() {
    socket_.Renew();
    listener_.Close();
}

// A connection from another host carries no data of this server's (it may be
// a third party that guessed the port): it is shut and the wait goes on, within
// the usual bound, for the server's own. A server that never connects back
// from its own address thus times out like one that never connects at all.
DWORD FtpDataChannel::Establish(FtpControl& control) {
    if (passive_) return 0;
    sockaddr_storage server = {};
    if (!control.Socket().PeerAddress(server)) return ERROR_INTERNET_CONNECTION_ABORTED;
    ULONGLONG deadline = GetTickCount64() + FtpIdleBoundMs();
    DWORD error = 0;
    for (;;) {
        error = socket_.AcceptFrom(listener_);
        sockaddr_storage peer = {};
        if (error || (socket_.PeerAddress(peer) && SameHost(server, peer))) break;
        socket_.Renew();
        if (GetTickCount64() >= deadline) {
            error = ERROR_INTERNET_TIMEOUT;
            break;
        }
    }
    listener_.Close();
    return error;
}
