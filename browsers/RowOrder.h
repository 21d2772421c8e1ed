#pragma once

#include <cstdint>

// Ordering of two file-list rows when sorting by a column. A row with id 0 is
// the parent entry "..", which always sorts first; the Size column compares
// the displayed sizes, every other column compares texts ordinally.
struct RowKey {
    uintptr_t id;
    const wchar_t* text;
};

static const int kSizeColumn = 1;

int CompareRows(int column, const RowKey& first, const RowKey& second);
