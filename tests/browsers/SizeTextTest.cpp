#include <gtest/gtest.h>

#include "browsers/SizeText.h"

static std::wstring Shown(uint64_t size) {
    wchar_t text[32];
    FormatSizeText(size, text, 32);
    return text;
}

TEST(SizeText, ShowsUnitsAndReadsThemBack) {
    // clang-format off
    const std::pair<uint64_t, const wchar_t*> shown[] = {
        {1023, L"1023b"}, {1024, L"1.00kb"}, {1048575, L"1024.00kb"}, {1048576, L"1.00mb"},
        {(1ull << 30) - 1, L"1024.00mb"}, {1ull << 30, L"1.00gb"}};
    // Out-of-range text clamps instead of wrapping round to a small size.
    const std::pair<const wchar_t*, uint64_t> read[] = {
        {L"1023b", 1023}, {L"1.50kb", 1536}, {L"1.00mb", 1048576}, {L"5.00gb", 5ull << 30},
        {L"", 0}, {L"1e30gb", UINT64_MAX}};
    // clang-format on
    for (const auto& [size, text] : shown) EXPECT_EQ(text, Shown(size));
    for (const auto& [text, size] : read) EXPECT_EQ(size, ParseSizeText(text)) << text;
}
