#include "browsers/SizeText.h"

#include <cstdlib>
#include <cwchar>

static const uint64_t kKilobyte = 1024;
static const uint64_t kMegabyte = kKilobyte * 1024;
static const uint64_t kGigabyte = kMegabyte * 1024;

void FormatSizeText(uint64_t size, wchar_t* text, size_t capacity) {
    if (size < kKilobyte)
        swprintf(text, capacity, L"%ub", static_cast<unsigned>(size));
    else if (size < kMegabyte)
        swprintf(text, capacity, L"%0.2fkb", size * 0.0009765625);
    else if (size < kGigabyte)
        swprintf(text, capacity, L"%0.2fmb", size * 9.5367431640625e-7);
    else
        swprintf(text, capacity, L"%0.2fgb", size * 9.31322574615478515625e-10);
}

static bool HasUnit(const wchar_t* text, size_t length, const wchar_t* unit) {
    return length > 2 && wcscmp(text + length - 2, unit) == 0;
}

// Text beyond 64 bits cannot come from FormatSizeText; clamp rather than let
// the conversion wrap into a small number.
static uint64_t ScaledValue(const wchar_t* text, uint64_t scale) {
    double value = wcstod(text, nullptr) * static_cast<double>(scale);
    if (!(value > 0)) return 0;
    if (value >= 18446744073709551615.0) return UINT64_MAX;
    return static_cast<uint64_t>(value);
}

uint64_t ParseSizeText(const wchar_t* text) {
    if (!text) return 0;
    size_t length = wcslen(text);
    if (HasUnit(text, length, L"kb")) return ScaledValue(text, kKilobyte);
    if (HasUnit(text, length, L"mb")) return ScaledValue(text, kMegabyte);
    if (HasUnit(text, length, L"gb")) return ScaledValue(text, kGigabyte);
    return wcstoull(text, nullptr, 10);
}
