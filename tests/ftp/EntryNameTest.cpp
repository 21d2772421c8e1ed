#include <gtest/gtest.h>

#include "ftp/EntryName.h"

TEST(EntryName, RefusesNamesThatLeadOutOfTheFolder) {
    for (const wchar_t* name : {L"", L".", L"..", L"../up", L"a/b", L"a\\b", L"/", L"\\root"})
        EXPECT_FALSE(IsSafeEntryName(name, 260)) << name;
}

TEST(EntryName, AcceptsOrdinaryNames) {
    for (const wchar_t* name :
         {L"a", L"...", L"..hidden", L"with blank", L" lead", L"\u00e9t\u00e9"})
        EXPECT_TRUE(IsSafeEntryName(name, 260)) << name;
}

TEST(EntryName, RefusesUnterminatedName) {
    wchar_t name[3] = {L'a', L'b', L'c'};
    EXPECT_FALSE(IsSafeEntryName(name, 3));
}
