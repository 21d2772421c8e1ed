#pragma once

#include <windows.h>

#include <cstdio>
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

// The part file opened for writing: made new (or emptied), or appended to. It
// may be moved while open (MoveOpenPartFile), which spares opening it again.
FILE* OpenPartFile(const wchar_t* path, bool append);
// Moves an open part file to target, replacing it only with
// MOVEFILE_REPLACE_EXISTING in moveFlags. False when it did not move (the
// caller may still move it by name once closed).
bool MoveOpenPartFile(FILE* file, const std::wstring& target, DWORD moveFlags);
