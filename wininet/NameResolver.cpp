#include "wininet/NameResolver.h"

#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "wininet/FtpSocket.h"

namespace {

std::vector<sockaddr_storage> LookUp(const std::string& host, const std::string& service,
                                     int flags = 0) {
    addrinfo hints = {};
    hints.ai_flags = flags;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    std::vector<sockaddr_storage> addresses;
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) return addresses;
    for (addrinfo* address = found; address; address = address->ai_next) {
        sockaddr_storage storage = {};
        memcpy(&storage, address->ai_addr, std::min(sizeof(storage), size_t(address->ai_addrlen)));
        addresses.push_back(storage);
    }
    freeaddrinfo(found);
    return addresses;
}

}  // namespace

DWORD ResolveName(const std::string& host, unsigned port,
                  std::vector<sockaddr_storage>& addresses) {
    char service[8];
    snprintf(service, sizeof(service), "%u", port);
    // An address given as numbers needs no lookup, nor a thread that could wait on one.
    addresses = LookUp(host, service, AI_NUMERICHOST);
    if (!addresses.empty()) return 0;
    // The lookup owns its copies: a lookup that outlives the wait finishes alone.
    auto result = std::make_shared<std::promise<std::vector<sockaddr_storage>>>();
    std::future<std::vector<sockaddr_storage>> answer = result->get_future();
    try {
        std::thread([result, host, text = std::string(service)] {
            result->set_value(LookUp(host, text));
        }).detach();
    } catch (const std::system_error&) {
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    }
    if (answer.wait_for(std::chrono::milliseconds(kFtpTimeoutMs)) != std::future_status::ready)
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    addresses = answer.get();
    return addresses.empty() ? ERROR_INTERNET_NAME_NOT_RESOLVED : 0;
}
