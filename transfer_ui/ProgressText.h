#pragma once

#include <windows.h>

#include <string>

#include "ftp/TransferTypes.h"

// The figures a progress panel shows, as pure functions of the counters, in
// the units of the file lists (b, kb, mb, gb) so that a size reads the same
// in the list and in the panel.

// Position of a 0..100 bar for the current file; past the range (a full bar)
// for an empty file, whose few bytes are done as soon as it opens.
UINT FilePercent(ULONGLONG currentBytes, ULONGLONG currentSize);

// Position of a 0..100 bar for the free part of the store.
UINT FreeStorePercent(ULONGLONG freeBytes, ULONGLONG storeBytes);

// "512 b", "4.00 kb": a count of bytes with two decimals past the bytes.
std::wstring BytesText(ULONGLONG bytes);

// "409.60 of 409.60 mb": both in the unit of the larger, so they compare at a glance.
std::wstring AmountText(ULONGLONG done, ULONGLONG size);

// "85.3 mb/s".
std::wstring RateText(double bytesPerSecond);

// "75.2 gb free of 264.2 gb".
std::wstring StorageText(ULONGLONG freeBytes, ULONGLONG storeBytes);

// "0:42", "1:02:03".
std::wstring DurationText(ULONGLONG ms);

// "12 of 40 files, 1.20 of 3.50 gb", saying so while the total still grows.
std::wstring RunText(DWORD filesDone, ULONGLONG bytesDone, const RunTotals& run);

// "85.3 mb/s, 0:42 elapsed, 1:10 left": the time left only when leftMs is known.
std::wstring TimeText(double bytesPerSecond, DWORD elapsedMs, bool leftKnown, ULONGLONG leftMs);

// "2: 12.00 of 40.00 mb, name", or that the connection waits for a file.
std::wstring ConnectionText(DWORD number, const ConnectionFigures& line);

// A report line for an item that failed: "name: reason", the reason's lines
// joined into one; a local failure may come with no reason.
std::wstring FailureText(const wchar_t* name, const wchar_t* reason);
