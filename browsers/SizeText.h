#pragma once

#include <cstddef>
#include <cstdint>

// The Size column shows bytes below 1 KiB, then kilobytes, megabytes and
// gigabytes with two decimals; sorting reads the shown text back, so rows
// compare by what the user sees.
void FormatSizeText(uint64_t size, wchar_t* text, size_t capacity);

// Reads a Size cell back into bytes; an empty cell (a folder) gives 0.
uint64_t ParseSizeText(const wchar_t* text);
