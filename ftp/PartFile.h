#pragma once

#include <windows.h>

#include <string>

// A download is written beside its target under the part name until the
// server confirmed the whole file; only then does it take the target's place.
std::wstring PartFileName(const wchar_t* nameOrPath);

// Readies the part file to continue a binary download of a file of size
// bytes: the part file already there, or else a copy of the target, so that
// the target stays as it was until the whole file arrived. Data longer than
// the server's file cannot be its start: offset 0 then. False when no part
// file could be made.
bool PreparePartFile(const wchar_t* target, const wchar_t* part, ULONGLONG size, ULONGLONG* offset);
