#include "browsers/RowOrder.h"

#include <cwchar>

#include "browsers/SizeText.h"

static int Sign(int value) { return (value > 0) - (value < 0); }

int CompareRows(int column, const RowKey& first, const RowKey& second) {
    if (first.id == 0) return -1;
    if (second.id == 0) return 1;
    if (column == kSizeColumn) {
        uint32_t a = ParseSizeText(first.text);
        uint32_t b = ParseSizeText(second.text);
        return (a > b) - (a < b);
    }
    return Sign(wcscmp(first.text ? first.text : L"", second.text ? second.text : L""));
}
