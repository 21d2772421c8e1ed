#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>
#include <vector>

// Resolves a host name or a numeric address to the addresses to try, IPv4
// and IPv6. Gives up after the FTP timeout even when the resolver itself
// would go on retrying. 0 or ERROR_INTERNET_NAME_NOT_RESOLVED.
DWORD ResolveName(const std::string& host, unsigned port, std::vector<sockaddr_storage>& addresses);
