#pragma once

#include <cstddef>
#include <cstdint>

// The units sizes are shown in everywhere (the file lists, the progress
// panels): bytes below 1 KiB, then kilobytes, megabytes and gigabytes, so a
// figure reads the same wherever the user meets it.
struct ByteUnit {
    const wchar_t* name;  // "b", "kb", "mb" or "gb"
    uint64_t bytes;       // how many bytes one of it holds
};

// The four units, smallest first.
const size_t kByteUnitCount = 4;
extern const ByteUnit kByteUnits[kByteUnitCount];

// The largest unit the size holds at least one of (bytes for less than 1 KiB).
const ByteUnit& ByteUnitFor(uint64_t size);

// The size counted in the unit; exact for the powers of two the units are.
inline double InUnit(uint64_t size, const ByteUnit& unit) {
    return static_cast<double>(size) / static_cast<double>(unit.bytes);
}
