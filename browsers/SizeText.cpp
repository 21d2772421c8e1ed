#include "browsers/SizeText.h"

#include <cwchar>
#include <cstdlib>

static const uint32_t kKilobyte = 1024;
static const uint32_t kMegabyte = 1024 * 1024;

void FormatSizeText(uint32_t size, wchar_t* text, size_t capacity) {
    if (size < kKilobyte)
        swprintf(text, capacity, L"%ub", size);
    else if (size < kMegabyte)
        swprintf(text, capacity, L"%0.2fkb", size * 0.0009765625);
    else
        swprintf(text, capacity, L"%0.2fmb", size * 9.5367431640625e-7);
}

static bool HasUnit(const wchar_t* text, size_t length, const wchar_t* unit) {
    return length > 2 && wcscmp(text + length - 2, unit) == 0;
}

// Values beyond 32 bits cannot come from FormatSizeText; clamp rather than
// let the conversion wrap into a small number.
static uint32_t ScaledValue(const wchar_t* text, double scale) {
    double value = wcstod(text, nullptr) * scale;
    if (!(value > 0)) return 0;
    if (value >= 4294967295.0) return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

uint32_t ParseSizeText(const wchar_t* text) {
    if (!text) return 0;
    size_t length = wcslen(text);
    if (HasUnit(text, length, L"kb")) return ScaledValue(text, kKilobyte);
    if (HasUnit(text, length, L"mb")) return ScaledValue(text, kMegabyte);
    return static_cast<uint32_t>(wcstoul(text, nullptr, 10));
}
