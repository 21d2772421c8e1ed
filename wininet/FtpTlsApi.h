#pragma once

#include <windows.h>
#include <wininet.h>

// Explicit FTP over TLS, which the system's WinINet does not offer: our own
// flags for InternetConnect, statuses for its callback, and the certificate
// question it asks through the callback before anything is sent.
#define INTERNET_FLAG_FTP_TLS_REQUIRED INTERNET_FLAG_SECURE
// TLS unless the server refuses AUTH TLS; never plain after a failed handshake.
#define INTERNET_FLAG_FTP_TLS_IF_AVAILABLE 0x00000004
#define INTERNET_STATUS_FTP_SECURING 0x7F01
// The server refused AUTH TLS: the login goes on in the clear only if TLS was not required.
#define INTERNET_STATUS_FTP_TLS_REFUSED 0x7F02
#define INTERNET_STATUS_FTP_CERTIFICATE 0x7F03
#define INTERNET_STATUS_FTP_SECURED 0x7F04

// What INTERNET_STATUS_FTP_CERTIFICATE points to: a certificate the system's
// roots do not vouch for this host (error says why). The callback sets accept
// to go on; otherwise the connection fails with that error.
typedef struct {
    LPCWSTR host;
    INTERNET_PORT port;
    DWORD error;
    LPCWSTR subject;
    LPCWSTR issuer;
    FILETIME validFrom;
    FILETIME validTo;
    LPCWSTR sha256;  // hexadecimal pairs separated by colons
    BOOL accept;
} FTP_SERVER_CERTIFICATE;
