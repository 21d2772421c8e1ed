#include "browsers/SizeText.h"

#include <cstdlib>
#include <cwchar>

#include "framework/ByteUnits.h"

void FormatSizeText(uint64_t size, wchar_t* text, size_t capacity) {
    const ByteUnit& unit = ByteUnitFor(size);
    if (unit.bytes == 1)
        swprintf(text, capacity, L"%ub", static_cast<unsigned>(size));
    else
        swprintf(text, capacity, L"%0.2f%ls", InUnit(size, unit), unit.name);
}

// Text beyond 64 bits cannot come from FormatSizeText; clamp rather than let
// the conversion wrap into a small number.
static uint64_t ScaledValue(const wchar_t* text, uint64_t scale) {
    double value = wcstod(text, nullptr) * static_cast<double>(scale);
    if (!(value > 0)) return 0;
    if (value >= 18446744073709551615.0) return UINT64_MAX;
    return static_cast<uint64_t>(value);
}

// Bytes are read as a whole number; the larger units by their two-letter names.
uint64_t ParseSizeText(const wchar_t* text) {
    if (!text) return 0;
    size_t length = wcslen(text);
    for (const ByteUnit& unit : kByteUnits)
        if (unit.bytes > 1 && length > 2 && wcscmp(text + length - 2, unit.name) == 0)
            return ScaledValue(text, unit.bytes);
    return wcstoull(text, nullptr, 10);
}
