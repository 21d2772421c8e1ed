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
// The server refused AUTH TLS. With TLS required the connection fails; with
// TLS if available, the status points to an FTP_PLAIN_LOGIN question.
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

// Errors of a certificate that could not be checked at all: no fingerprint
// could be computed, or no chain could be built. No answer lets it pass.
#define ERROR_FTP_CERTIFICATE_NO_FINGERPRINT (INTERNET_ERROR_BASE + 901)
#define ERROR_FTP_CERTIFICATE_NO_CHAIN (INTERNET_ERROR_BASE + 902)
// A data connection showed a certificate other than the control connection's:
// its transfer fails, and the connection goes on.
#define ERROR_FTP_DATA_CERTIFICATE_MISMATCH (INTERNET_ERROR_BASE + 903)

// Whether a person may still accept the certificate: it was checked, and it
// has the fingerprint by which an acceptance is remembered.
inline bool FtpCertificateCanBeAccepted(const FTP_SERVER_CERTIFICATE& certificate) {
    return certificate.sha256 && certificate.sha256[0] &&
           certificate.error != ERROR_FTP_CERTIFICATE_NO_FINGERPRINT &&
           certificate.error != ERROR_FTP_CERTIFICATE_NO_CHAIN;
}

// What INTERNET_STATUS_FTP_TLS_REFUSED points to when TLS was not required:
// the callback sets accept to send the user name and password unencrypted;
// otherwise the connection fails with ERROR_FTP_PLAIN_LOGIN_DECLINED and
// nothing more is sent. No callback, no answer: nothing goes out in the clear.
typedef struct {
    LPCWSTR host;
    BOOL accept;
} FTP_PLAIN_LOGIN;

// WinINet's number for "the request needs an insecure fallback".
#define ERROR_FTP_PLAIN_LOGIN_DECLINED (INTERNET_ERROR_BASE + 59)
