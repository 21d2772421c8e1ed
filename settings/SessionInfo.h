#pragma once

#include <windows.h>

// How a session's connection is protected. A session saved before the choice
// existed has no such value and reads as plain FTP, as it always connected.
enum SessionEncryption : DWORD { kPlainFtp = 0, kRequireTls = 1, kTlsIfAvailable = 2 };

// The protocol a session speaks. A session saved before SFTP existed has no
// such value and reads as FTP, as it always connected.
enum SessionProtocol : DWORD { kProtocolFtp = 0, kProtocolSftp = 1 };

// The server's clock is in a zone the user has not given. LIST times are
// then shown as the server writes them and never compared: an offset of 0
// would claim a server on UTC and could skip files wrongly.
const LONG kNoServerOffset = LONG(0x80000000);
const LONG kMinServerOffset = -12, kMaxServerOffset = 14;

// A saved connection profile, copied whole. Texts hold at most 511 characters.
struct SessionInfo {
    wchar_t name[512];
    wchar_t host[512];
    wchar_t user[512];
    wchar_t password[512];
    DWORD port;
    DWORD bSaveHost;
    DWORD bSavePassword;
    DWORD bAnonymous;
    DWORD encryption;       // a SessionEncryption
    DWORD bPlainLogin;      // logs in unencrypted, unasked, where the server refuses TLS
    LONG serverTimeOffset;  // hours east of UTC, or kNoServerOffset
    DWORD protocol;         // a SessionProtocol
    wchar_t keyFile[512];   // a private key file's path for SFTP logins; empty: none
};
