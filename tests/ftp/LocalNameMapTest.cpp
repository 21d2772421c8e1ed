#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ftp/EntryName.h"
#include "ftp/LocalNameMap.h"

namespace {

struct Mapping {
    std::wstring remote, local;
};

// Every forbidden character, device names in any case and with extensions,
// trailing dots and blanks, and the "%" that must then be escaped as well.
const Mapping kMapped[] = {
    {L"a:b", L"a%3Ab"},
    {L"what?", L"what%3F"},
    {L"star*", L"star%2A"},
    {L"pipe|", L"pipe%7C"},
    {L"<angle>", L"%3Cangle%3E"},
    {L"say \"hi\"", L"say %22hi%22"},
    {L"tab\tname", L"tab%09name"},
    {L"bell\x01", L"bell%01"},
    {L"\x1f", L"%1F"},
    {L"dot.", L"dot%2E"},
    {L"blank ", L"blank%20"},
    {L"two. ", L"two.%20"},
    {L"...", L"..%2E"},
    {L" ", L"%20"},
    {L"CON", L"CO%4E"},
    {L"con", L"co%6E"},
    {L"prn", L"pr%6E"},
    {L"Aux.tar.gz", L"Au%78.tar.gz"},
    {L"nul.txt", L"nu%6C.txt"},
    {L"NUL .txt", L"NU%4C .txt"},
    {L"COM1", L"COM%31"},
    {L"lpt9.log", L"lpt%39.log"},
    {L"COM\u00b9", L"COM%B9"},
    {L"CONIN$", L"CONIN%24"},
    {L"CON.", L"CO%4E%2E"},
    {L"50%?", L"50%25%3F"},
    // Storable names that would read back as mapped are mapped themselves.
    {L"a%3Ab", L"a%253Ab"},
    {L"CO%4E", L"CO%254E"},
    {L"a%253Ab", L"a%25253Ab"},
};

// Storable names that keep their name both ways, "%" and all.
const wchar_t* const kUnchanged[] = {
    L"plain.txt", L"100%", L"%",     L"%%",   L"%3",     L"a%41",     L"a%3ab",
    L"a%2F",      L"a%5C", L"a%00",  L"a%0A", L"%2E%2E", L"%2E",      L"CONSOLE",
    L"COM10",     L"nul_", L"a con", L".nul", L" lead",  L"..hidden", L"\u00e9t\u00e9",
};

}  // namespace

TEST(LocalNameMap, OddNamesAreMappedToStorableNamesAndBack) {
    for (const Mapping& m : kMapped) {
        EXPECT_EQ(m.local, LocalNameFor(m.remote)) << m.remote;
        EXPECT_TRUE(IsStorableLocalName(m.local.c_str())) << m.local;
        EXPECT_EQ(m.remote, RemoteNameFor(m.local)) << m.local;
    }
}

TEST(LocalNameMap, OrdinaryNamesAndNamesThatDecodeToNothingOddStayAsTheyAre) {
    for (const wchar_t* name : kUnchanged) {
        EXPECT_EQ(name, LocalNameFor(name)) << name;
        EXPECT_EQ(name, RemoteNameFor(name)) << name;
    }
}

TEST(LocalNameMap, NamesThatCouldLeaveTheFolderOrBreakACommandAreRefused) {
    for (const std::wstring& name :
         {std::wstring(), std::wstring(L"."), std::wstring(L".."), std::wstring(L"a/b"),
          std::wstring(L"a\\b"), std::wstring(L"..\\x"), std::wstring(L"line\nbreak"),
          std::wstring(L"cr\r"), std::wstring(L"nul\0in", 6), std::wstring(300, L'x')})
        EXPECT_EQ(L"", LocalNameFor(name)) << name;
}

// Every name over an alphabet that makes device names, escapes and odd
// characters: each maps to a storable name no other name maps to, and back.
TEST(LocalNameMap, EveryShortNameMakesTheRoundTripUnderALocalNameOfItsOwn) {
    const std::wstring alphabet = L"CON%25A:. ";
    std::map<std::wstring, std::wstring> remoteOf;
    std::vector<std::wstring> names = {L""};
    for (size_t length = 1; length <= 5; ++length) {
        std::vector<std::wstring> longer;
        for (const std::wstring& stem : names)
            for (wchar_t c : alphabet) longer.push_back(stem + c);
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
