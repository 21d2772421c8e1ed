#pragma once

#include <windows.h>

// The whole size of a find or attribute record (WIN32_FIND_DATAW,
// WIN32_FILE_ATTRIBUTE_DATA), which the system hands over in two 32-bit halves.
template <typename Record>
ULONGLONG FileSizeOf(const Record& record) {
    return (ULONGLONG(record.nFileSizeHigh) << 32) | record.nFileSizeLow;
}
