#include <gtest/gtest.h>

#include "ftp/EntryName.h"

// The names that pass, and none without its end; those that lead out of the
// folder are refused through the view's rename.
TEST(EntryName, AcceptsOrdinaryNamesOnlyWhole) {
    for (const wchar_t* name :
         {L"a", L"...", L"..hidden", L"with blank", L" lead", L"\u00e9t\u00e9"})
        EXPECT_TRUE(IsSafeEntryName(name, 260)) << name;
    const wchar_t unterminated[3] = {L'a', L'b', L'c'};
    EXPECT_FALSE(IsSafeEntryName(unterminated, 3));
}

TEST(EntryName, LocalNamesThatWindowsCannotStoreOrReadsAsDevicesAreRefused) {
    for (const wchar_t* name :
         {L"", L"a.", L"a ", L"a:b", L"a*", L"a\x01", L"CON", L"nul.txt", L"NUL .txt", L"CON .log",
          L"aux  ", L"lpt1", L"COM9.tar.gz", L"COM\u00b9", L"LPT\u00b2.bin", L"com\u00b3 .x",
          L"CONIN$", L"conout$.txt"})
        EXPECT_FALSE(IsStorableLocalName(name)) << name;
    for (const wchar_t* name : {L"CONSOLE", L"nul_", L"COM10", L"LPT\u00b4", L"a con", L".nul",
                                L"COMx", L"\u00e9t\u00e9.txt"})
        EXPECT_TRUE(IsStorableLocalName(name)) << name;
}
