#pragma once

#include <cstddef>
#include <cstdint>

// The Modified column: a file time (UTC, 100 ns since 1601) as the user's
// locale writes a short date and a time; empty for an unknown time (0). A day
// known without its time shows as that day alone, as the file system gave it.
void FormatModifiedText(uint64_t fileTime, bool dateOnly, wchar_t* text, size_t capacity);
