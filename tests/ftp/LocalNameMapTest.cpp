#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ftp/EntryName.h"
#include "ftp/LocalNameMap.h"

// Every refused character, device names in any case and with extensions, a
// trailing dot or blank, and "%" in names mapped anyway or that would read
// back as mapped; then names that stay as they are, and names refused. (A
// tree of odd names goes down and back up through OddNamesTest.)
TEST(LocalNameMap, OddNamesAreMappedAndBackOthersKeptUnsafeOnesRefused) {
    // clang-format off
    const std::vector<std::pair<std::wstring, std::wstring>> mapped = {
        {L"<a|b>?*\"\t\x1f:", L"%3Ca%7Cb%3E%3F%2A%22%09%1F%3A"}, {L"two. ", L"two.%20"},
        {L"...", L"..%2E"}, {L" ", L"%20"}, {L"prn", L"pr%6E"}, {L"Aux.tar.gz", L"Au%78.tar.gz"},
        {L"NUL .txt", L"NU%4C .txt"}, {L"lpt9.log", L"lpt%39.log"}, {L"COM\u00b9", L"COM%B9"},
        {L"CONIN$", L"CONIN%24"}, {L"CON.", L"CO%4E%2E"}, {L"a%253Ab", L"a%25253Ab"},
        {L"line\nbreak\r", L"line%0Abreak%0D"}};
    // clang-format on
    for (const auto& [remote, local] : mapped) {
        EXPECT_EQ(local, LocalNameFor(remote)) << remote;
        EXPECT_TRUE(IsStorableLocalName(local.c_str())) << local;
        EXPECT_EQ(remote, RemoteNameFor(local)) << local;
    }
    for (const wchar_t* name : {L"plain.txt", L"100%", L"%%", L"%3", L"a%41", L"a%3ab", L"a%2F",
                                L"a%00", L"%2E%2E", L"CONSOLE", L"COM10", L".nul"}) {
        EXPECT_EQ(name, LocalNameFor(name));
        EXPECT_EQ(name, RemoteNameFor(name));
    }
    for (const std::wstring& name :
         {std::wstring(), std::wstring(L".."), std::wstring(L"a/b"), std::wstring(L"..\\x"),
          std::wstring(L"nul\0in", 6), std::wstring(300, L'x')})
        EXPECT_EQ(L"", LocalNameFor(name)) << name;
}

// Every name of up to five characters that make devices, escapes and odd
// names: each maps to a storable name no other name maps to, and back.
TEST(LocalNameMap, EveryShortNameMakesTheRoundTripUnderALocalNameOfItsOwn) {
    std::map<std::wstring, std::wstring> remoteOf;
    std::vector<std::wstring> names = {L""};
    for (int length = 1; length <= 5; ++length) {
        std::vector<std::wstring> longer;
        for (const std::wstring& stem : names)
            for (wchar_t c : std::wstring(L"CON%25A:. ")) longer.push_back(stem + c);
        names.swap(longer);
        for (const std::wstring& remote : names) {
            std::wstring local = LocalNameFor(remote);
            if (remote == L"." || remote == L"..") continue;
            ASSERT_TRUE(IsStorableLocalName(local.c_str())) << remote << L" as " << local;
            ASSERT_EQ(remote, RemoteNameFor(local)) << local;
            auto taken = remoteOf.emplace(local, remote);
            ASSERT_TRUE(taken.second) << remote << L" and " << taken.first->second;
        }
    }
}
