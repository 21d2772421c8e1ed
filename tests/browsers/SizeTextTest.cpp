#include <gtest/gtest.h>

#include "browsers/SizeText.h"

static std::wstring Shown(uint64_t size) {
    wchar_t text[32];
    FormatSizeText(size, text, 32);
    return text;
}

TEST(SizeText, ShowsUnitsAndReadsThemBack) {
    EXPECT_EQ(L"1023b", Shown(1023));
    EXPECT_EQ(L"1.00kb", Shown(1024));
    EXPECT_EQ(L"1024.00kb", Shown(1048575));
    EXPECT_EQ(L"1.00mb", Shown(1048576));
    EXPECT_EQ(L"1024.00mb", Shown((1ull << 30) - 1));
    EXPECT_EQ(L"1.00gb", Shown(1ull << 30));
    EXPECT_EQ(1023u, ParseSizeText(L"1023b"));
    EXPECT_EQ(1536u, ParseSizeText(L"1.50kb"));
    EXPECT_EQ(1048576u, ParseSizeText(L"1.00mb"));
    EXPECT_EQ(5ull << 30, ParseSizeText(L"5.00gb"));
    EXPECT_EQ(0u, ParseSizeText(L""));
    // Out-of-range text clamps instead of wrapping round to a small size.
    EXPECT_EQ(UINT64_MAX, ParseSizeText(L"1e30gb"));
}
