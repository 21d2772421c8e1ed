#pragma once

#include <cstdint>

// Ordering of two file-list rows when sorting by a column. A row with id 0 is
// the parent entry "..", which always sorts first, whichever the direction.
// Columns of numbers (sizes, times) compare their numbers, every other
// column compares texts ordinally.
struct RowKey {
    uintptr_t id;
    const wchar_t* text;
    uint64_t number;
};

static const int kSizeColumn = 1;

int CompareRows(const RowKey& first, const RowKey& second, bool byNumber, bool descending);
