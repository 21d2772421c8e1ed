#include <gtest/gtest.h>

#include "browsers/RowOrder.h"
#include "browsers/SizeText.h"

static std::wstring Shown(uint32_t size) {
    wchar_t text[32];
    FormatSizeText(size, text, 32);
    return text;
}

TEST(SizeText, UnitBoundaries) {
    EXPECT_EQ(L"0b", Shown(0));
    EXPECT_EQ(L"1023b", Shown(1023));
    EXPECT_EQ(L"1.00kb", Shown(1024));
    EXPECT_EQ(L"1024.00kb", Shown(1048575));
    EXPECT_EQ(L"1.00mb", Shown(1048576));
    EXPECT_EQ(L"4096.00mb", Shown(UINT32_MAX));
}

TEST(SizeText, ParsesShownTextBack) {
    EXPECT_EQ(1023u, ParseSizeText(L"1023b"));
    EXPECT_EQ(1024u, ParseSizeText(L"1.00kb"));
    EXPECT_EQ(1536u, ParseSizeText(L"1.50kb"));
    EXPECT_EQ(1048576u, ParseSizeText(L"1.00mb"));
    EXPECT_EQ(0u, ParseSizeText(L""));
    EXPECT_EQ(0u, ParseSizeText(nullptr));
    // Huge values clamp instead of wrapping to a small number.
    EXPECT_EQ(UINT32_MAX, ParseSizeText(L"99999.00mb"));
    EXPECT_EQ(0u, ParseSizeText(L"kb"));
}

TEST(SizeText, RoundTripKeepsOrderOfShownValues) {
    const uint32_t sizes[] = {0, 1, 1023, 1024, 1536, 1540, 1048575, 1048576, 5000000};
    for (size_t i = 1; i < sizeof(sizes) / sizeof(sizes[0]); ++i)
        EXPECT_LE(ParseSizeText(Shown(sizes[i - 1]).c_str()),
                  ParseSizeText(Shown(sizes[i]).c_str()))
            << sizes[i];
}

TEST(RowOrder, ParentEntryAlwaysFirst) {
    RowKey parent{0, L".."};
    RowKey file{5, L"!first"};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(-1, CompareRows(column, parent, file));
        EXPECT_EQ(1, CompareRows(column, file, parent));
    }
}

TEST(RowOrder, SizesCompareByShownValue) {
    RowKey folder{1, L""};
    RowKey small{2, L"900b"};
    RowKey a{3, L"1.50kb"};
    RowKey b{4, L"1.50kb"};
    RowKey big{5, L"2.00mb"};
    EXPECT_EQ(-1, CompareRows(kSizeColumn, folder, small));
    EXPECT_EQ(-1, CompareRows(kSizeColumn, small, a));
    EXPECT_EQ(0, CompareRows(kSizeColumn, a, b));
    EXPECT_EQ(1, CompareRows(kSizeColumn, big, a));
}

TEST(RowOrder, TextsCompareOrdinallyAndCaseSensitively) {
    EXPECT_EQ(-1, CompareRows(0, RowKey{1, L"B"}, RowKey{2, L"a"}));
    EXPECT_EQ(1, CompareRows(0, RowKey{1, L"b"}, RowKey{2, L"B"}));
    EXPECT_EQ(0, CompareRows(2, RowKey{1, L"File"}, RowKey{2, L"File"}));
    EXPECT_EQ(-1, CompareRows(2, RowKey{1, L"File"}, RowKey{2, L"Folder"}));
}
