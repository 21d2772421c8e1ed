#pragma once

#include <cstddef>

// A listing entry the walks may act on: not empty, not "." or "..", and no
// separator or NUL inside, so a name can never lead outside its folder.
bool IsSafeEntryName(const wchar_t* name, size_t capacity);

// Text that can travel on one FTP command line: a line break inside would end
// the command early and let the rest run as a command of its own.
bool IsSafeCommandArgument(const wchar_t* text);

// A name an entry on the server may be given: a safe entry name that fits a
// listing's name field and travels on one command line.
bool IsSafeNewName(const wchar_t* name);

// A name the local file system stores as it stands: no character that Windows
// refuses or reads as a stream (":") or wildcard, no trailing dot or blank
// (silently dropped), and no device name in any form Windows reads as one:
// "CON", "lpt1.txt", "NUL .txt", "COM\u00b9".
bool IsStorableLocalName(const wchar_t* name);

// How many characters at the start of name Windows reads as a device: 3 for
// "CON", "nul.txt" and "NUL .txt", 4 for "lpt1.txt"; 0 when it reads none.
size_t DeviceNameLength(const wchar_t* name);
