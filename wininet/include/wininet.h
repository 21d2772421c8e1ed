#pragma once

// The system header declares every WinINet function as imported from
// wininet.dll. The FTP subset the program uses is implemented in this folder,
// so the same declarations are bound to our own definitions instead.
#include <windows.h>

#pragma push_macro("DECLSPEC_IMPORT")
#undef DECLSPEC_IMPORT
#define DECLSPEC_IMPORT
#include_next <wininet.h>
#pragma pop_macro("DECLSPEC_IMPORT")

// Ours, beside WinINet's: marks an open upload or download as cut short, so
// that closing it resets the data connection and sends ABOR and the server
// keeps no partial upload as a complete file. A call blocked on the handle
// returns at once; the handle must still be closed.
#define CORVANE_HAS_FTP_ABORT_FILE 1
extern "C" BOOL WINAPI FtpAbortFile(HINTERNET hFile);

// Ours: a command that changes nothing the connection keeps track of (a
// file's time) goes out with the next command on the connection instead of
// alone, which over a long link saves a round trip. Its reply is read before
// the next command's; with keepReply FtpTakeKeptReply gives it (only the
// newest kept one), else it is dropped. A connection that closes sends it
// with its QUIT.
#define CORVANE_HAS_FTP_COMMAND_WITH_NEXT 1
extern "C" BOOL WINAPI FtpCommandWithNextW(HINTERNET hConnect, LPCWSTR command, BOOL keepReply);
// The kept reply's code once it came, its text as the last response info;
// FALSE with ERROR_NO_MORE_ITEMS before.
extern "C" BOOL WINAPI FtpTakeKeptReply(HINTERNET hConnect, DWORD* code);
// Sends the commands still waiting for a next one, with a NOOP, and reads
// their replies; nothing goes out when none wait.
extern "C" BOOL WINAPI FtpSettleCommands(HINTERNET hConnect);

// Ours, for InternetQueryOption on a connection handle: a DWORD, 1 once the
// connection gave active mode up for passive mode (the server refused PORT and
// EPRT, or could not connect back) and stays passive until it is closed; 0
// before. The caller tells the user once.
#define INTERNET_OPTION_FTP_PASSIVE_FALLBACK 0x7F10

// Our own additions for FTP over TLS.
#include "wininet/FtpTlsApi.h"
