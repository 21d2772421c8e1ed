#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ftp/BlockCopy.h"

namespace {

ULONGLONG fakeNow = 0;
ULONGLONG FakeClock() { return fakeNow; }

// A source whose every read takes the next of `delaysMs` (the last one
// again once they run out), and a sink that keeps what it got.
struct ScriptedCopy {
    ScriptedCopy(const std::string& bytes, std::vector<ULONGLONG> delays)
        : source(bytes), delaysMs(std::move(delays)) {}

    const std::string& source;
    std::vector<ULONGLONG> delaysMs;
    std::vector<DWORD> asked;
    std::string written;
    size_t at = 0;

    CopyEnd Run() {
        std::vector<char> block(kCopyBlockBytes);
        BlockCopy copy{
            [this](char* into, DWORD room, DWORD* count) { return Read(into, room, count); },
            [this](const char* from, DWORD count) {
                written.append(from, count);
                return true;
            },
            [] { return true; }, [](DWORD) {}, FakeClock};
        return CopyInBlocks(block.data(), kCopyBlockBytes, copy);
    }

    bool Read(char* into, DWORD room, DWORD* count) {
        asked.push_back(room);
        fakeNow += delaysMs[std::min(asked.size(), delaysMs.size()) - 1];
        *count = static_cast<DWORD>(std::min<size_t>(room, source.size() - at));
        source.copy(into, *count, at);
        at += *count;
        return true;
    }
};

}  // namespace

// Blocks grow while they move at once and shrink while each keeps the panel
// waiting, within 5 KiB and the block's size; every byte arrives in order
// whatever the sizes.
TEST(BlockCopyTest, BlocksFollowHowLongEachTakes) {
    const DWORD full = kCopyBlockBytes;
    // Blocks from 5 KiB, doubling while below the full size, then `then`.
    auto growing = [](std::vector<DWORD> then) {
        std::vector<DWORD> sizes;
        for (DWORD size = 5120; size < kCopyBlockBytes; size *= 2) sizes.push_back(size);
        sizes.insert(sizes.end(), then.begin(), then.end());
        return sizes;
    };
    // Quick until the first full block has moved, slow from the next one on.
    std::vector<ULONGLONG> quickThenSlow(growing({full}).size(), 0);
    quickThenSlow.push_back(150);
    struct Case {
        const char* what;
        std::vector<ULONGLONG> delaysMs;
        std::vector<DWORD> firstAsked;
    } cases[] = {
        {"fast link", {0}, growing({full, full})},
        {"slow link", {250}, {5120, 5120, 5120}},
        {"in between", {50}, {5120, 5120, 5120}},
        {"fast, then slow", quickThenSlow,
         growing({full, full, full / 2, full / 4, full / 8, full / 16, full / 32, 5120})},
    };
    std::string source;
    for (int i = 0; i < 2 * 1024 * 1024; ++i) source += static_cast<char>(i * 7 + i / 251);
    for (const Case& c : cases) {
        ScriptedCopy copy(source, c.delaysMs);
        EXPECT_EQ(CopyEnd::complete, copy.Run()) << c.what;
        EXPECT_EQ(source, copy.written) << c.what;
        ASSERT_GE(copy.asked.size(), c.firstAsked.size()) << c.what;
        std::vector<DWORD> first(copy.asked.begin(), copy.asked.begin() + c.firstAsked.size());
        EXPECT_EQ(c.firstAsked, first) << c.what;
    }
}
