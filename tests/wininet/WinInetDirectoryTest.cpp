#include "FtpServerTest.h"

using FtpDirectory = FtpServerTest;

TEST_F(FtpDirectory, ListsAnEmptyFolderNamesWithBlanksAndOtherScriptsOneNameOrAWildcard) {
    WIN32_FIND_DATAW data;
    EXPECT_EQ(ERROR_NO_MORE_FILES, FailureOf(FtpFindFirstFileW(connection_, nullptr, &data, 0, 1)));
    const std::wstring other = L"Gr\u00FC\u00DFe \u20AC \u65E5\u672C.txt";
    ASSERT_TRUE(WriteTestFile(LocalPath(L" leading blank.txt"), 5121, 1));
    ASSERT_TRUE(WriteTestFile(LocalPath(other), 3, 2));
    ASSERT_TRUE(CreateDirectoryW(LocalPath(L"dir with space").c_str(), nullptr));
    // Windows drops a trailing blank from local names, so the server makes this one.
    ASSERT_TRUE(FtpCreateDirectoryW(connection_, L"trailing blank "));
    std::vector<WIN32_FIND_DATAW> entries = List(connection_);
    std::vector<std::wstring> expected = {L" leading blank.txt", other, L"dir with space",
                                          L"trailing blank "};
    ASSERT_EQ(expected, NamesOf(entries));
    const DWORD kinds[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_DIRECTORY,
                           FILE_ATTRIBUTE_DIRECTORY};
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(kinds[i], entries[i].dwFileAttributes) << i;
        EXPECT_NE(0u, entries[i].ftLastWriteTime.dwHighDateTime) << i;
    }
    EXPECT_EQ(5121u, entries[0].nFileSizeLow);
    std::vector<WIN32_FIND_DATAW> one = List(connection_, other.c_str());
    ASSERT_EQ(std::vector<std::wstring>{other}, NamesOf(one));
    EXPECT_EQ(3u, one[0].nFileSizeLow);
    expected.resize(2);
    EXPECT_EQ(expected, NamesOf(List(connection_, L"*.txt")));
    EXPECT_EQ(ERROR_NO_MORE_FILES,
              FailureOf(FtpFindFirstFileW(connection_, L"missing", &data, 0, 1)));

    // While a listing is walked, the connection takes other commands; the end stays the end.
    HINTERNET find = FtpFindFirstFileW(connection_, nullptr, &data, 0, 1);
    ASSERT_NE(nullptr, find);
    EXPECT_TRUE(FtpDeleteFileW(connection_, data.cFileName) ||
                FtpRemoveDirectoryW(connection_, data.cFileName));
    while (InternetFindNextFileW(find, &data)) continue;
    EXPECT_EQ(ERROR_NO_MORE_FILES, FailureOf(InternetFindNextFileW(find, &data)));
    EXPECT_TRUE(InternetCloseHandle(find));
}

TEST_F(FtpDirectory, ChangesAndReportsTheCurrentDirectory) {
    const std::wstring own = L"/" + folder_, sub = own + L"/sub \"quoted\"";
    ASSERT_TRUE(FtpCreateDirectoryW(connection_, L"sub \"quoted\""));
    const std::wstring steps[][2] = {
        {L"sub \"quoted\"", sub}, {L"..", own}, {L"/", L"/"}, {sub, sub}};
    wchar_t path[512];
    for (const auto& step : steps) {
        DWORD length = 512;
        EXPECT_TRUE(FtpSetCurrentDirectoryW(connection_, step[0].c_str())) << step[0];
        ASSERT_TRUE(FtpGetCurrentDirectoryW(connection_, path, &length));
        EXPECT_EQ(step[1], path);
    }
    EXPECT_EQ(ERROR_INTERNET_EXTENDED_ERROR,
              FailureOf(FtpSetCurrentDirectoryW(connection_, L"no such folder")));

    // A short buffer is refused with the length it needs, never filled with a cut path.
    wchar_t small[4] = L"old";
    DWORD length = 4;
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER,
              FailureOf(FtpGetCurrentDirectoryW(connection_, small, &length)));
    EXPECT_EQ(sub.size() + 1, length);
    EXPECT_STREQ(L"old", small);
}

TEST_F(FtpDirectory, NamesWithLineBreaksAreRefusedBeforeAnythingIsSent) {
    ASSERT_TRUE(WriteTestFile(LocalPath(L"victim"), 1, 1));
    for (LPCWSTR name : {L"x\r\nDELE victim", L"x\nDELE victim", L"x\rDELE victim"}) {
        WIN32_FIND_DATAW data;
        for (long error : {FailureOf(FtpDeleteFileW(connection_, name)),
                           FailureOf(FtpCreateDirectoryW(connection_, name)),
                           FailureOf(FtpRemoveDirectoryW(connection_, name)),
                           FailureOf(FtpSetCurrentDirectoryW(connection_, name)),
                           FailureOf(FtpOpenFileW(connection_, name, GENERIC_READ, 2, 1)),
                           FailureOf(FtpFindFirstFileW(connection_, name, &data, 0, 1)),
                           FailureOf(FtpRenameFileW(connection_, L"victim", name)),
                           FailureOf(FtpCommandW(connection_, FALSE, 0, name, 0, nullptr))})
            EXPECT_EQ(ERROR_INVALID_PARAMETER, error) << name;
    }
    EXPECT_EQ(ERROR_INVALID_PARAMETER, FailureOf(ConnectAs(L"u\r\nSITE x", nullptr)));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(LocalPath(L"victim").c_str()));
}

TEST_F(FtpDirectory, TenThousandEntriesInBothDataModes) {
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(WriteTestFile(LocalPath(L"f" + std::to_wstring(i)), 0, 0));
    HINTERNET active = Connect(0);
    ASSERT_NE(nullptr, active) << GetLastError();
    EnterOwnFolder(active);
    for (HINTERNET connection : {connection_, active}) {
        std::vector<std::wstring> names = NamesOf(List(connection));
        ASSERT_EQ(10000u, names.size());
        EXPECT_EQ(L"f9999", names.back());  // the last by name
    }
    InternetCloseHandle(active);
}

TEST_F(FtpServerTest, HostileServerDeliversOnlySafeNamesOverPasvAndPort) {
    // This server offers neither EPSV nor EPRT, and its PASV replies name an
    // address where nothing listens: the data connection must go to the server.
    for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
        HINTERNET connection = Connect(flags, FixturePort("CORVANE_FTP_HOSTILE_PORT"));
        ASSERT_NE(nullptr, connection) << GetLastError();
        std::vector<WIN32_FIND_DATAW> entries = List(connection);
        std::vector<std::wstring> expected = {L"folder", L"link", L"name with blanks"};
        EXPECT_EQ(expected, NamesOf(entries));
        for (const WIN32_FIND_DATAW& entry : entries)
            EXPECT_EQ(std::wstring(entry.cFileName) == L"folder",
                      entry.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY);
        // A line without end fails its listing; the connection stays in step.
        WIN32_FIND_DATAW data;
        EXPECT_EQ(ERROR_INTERNET_INCORRECT_FORMAT,
                  FailureOf(FtpFindFirstFileW(connection, L"endless/*", &data, 0, 1)));
        // One that breaks off hands on its whole lines, then tells the break.
        HINTERNET find = FtpFindFirstFileW(connection, L"breaks-off/*", &data, 0, 1);
        ASSERT_NE(nullptr, find) << GetLastError();
        std::vector<std::wstring> arrived = {data.cFileName};
        while (InternetFindNextFileW(find, &data)) arrived.push_back(data.cFileName);
        EXPECT_EQ(ERROR_INTERNET_EXTENDED_ERROR, static_cast<long>(GetLastError()));
        InternetCloseHandle(find);
        std::sort(arrived.begin(), arrived.end());
        EXPECT_EQ(expected, arrived);
        EXPECT_EQ(expected, NamesOf(List(connection)));
        InternetCloseHandle(connection);
    }
}
