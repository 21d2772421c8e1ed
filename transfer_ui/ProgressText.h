#pragma once

#include <windows.h>

#include <cstddef>

// The figures a progress panel shows, as pure functions of the counters.

// Position of a 0..100 bar for the current file; past the range (a full bar)
// for an empty file, whose few bytes are done as soon as it opens.
UINT FilePercent(ULONGLONG currentBytes, ULONGLONG currentSize);

// "done/sizekb at ratekb/sec": the rate is the average over the whole run.
void FormatFileProgress(wchar_t* text, size_t capacity, ULONGLONG currentBytes,
                        ULONGLONG currentSize, ULONGLONG totalBytes, DWORD elapsedMs);

// Position of a 0..100 bar for the free part of the store.
UINT FreeStorePercent(ULONGLONG freeBytes, ULONGLONG storeBytes);

// "free/totalkb".
void FormatStorage(wchar_t* text, size_t capacity, ULONGLONG freeBytes, ULONGLONG storeBytes);
