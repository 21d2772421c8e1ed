#include "browsers/RowOrder.h"

#include <cwchar>

static int Sign(int value) { return (value > 0) - (value < 0); }

int CompareRows(const RowKey& first, const RowKey& second, bool byNumber, bool descending) {
    if (first.id == 0) return -1;
    if (second.id == 0) return 1;
    int order = byNumber
                    ? (first.number > second.number) - (first.number < second.number)
                    : Sign(wcscmp(first.text ? first.text : L"", second.text ? second.text : L""));
    return descending ? -order : order;
}
