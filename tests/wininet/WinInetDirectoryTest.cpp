#include <algorithm>

#include "FtpServerTest.h"

class FtpDirectory : public FtpServerTest {
  protected:
    void SetUp() override {
        FtpServerTest::SetUp();
        if (!ready_) return;
        connection_ = Connect();
        ASSERT_NE(nullptr, connection_) << GetLastError();
        EnterOwnFolder(connection_);
    }
    void TearDown() override {
        if (connection_) InternetCloseHandle(connection_);
        FtpServerTest::TearDown();
    }
    std::wstring CurrentDirectory() {
        wchar_t path[512];
        DWORD length = 512;
        return FtpGetCurrentDirectoryW(connection_, path, &length) ? path : L"<failed>";
    }

    HINTERNET connection_ = nullptr;
};

TEST_F(FtpDirectory, ListsNamesWithBlanksAndOtherScriptsWithSizesAndKinds) {
    ASSERT_TRUE(WriteTestFile(LocalPath(L" leading blank"), 5121, 1));
    // Windows drops a trailing blank from local names, so the server makes this one.
    ASSERT_TRUE(FtpCreateDirectoryW(connection_, L"trailing blank "));
    ASSERT_TRUE(WriteTestFile(LocalPath(L"Gr\u00FC\u00DFe \u20AC \u65E5\u672C.txt"), 3, 2));
    ASSERT_TRUE(CreateDirectoryW(LocalPath(L"dir with space").c_str(), nullptr));

    std::vector<WIN32_FIND_DATAW> entries = List(connection_);
    std::vector<std::wstring> expected = {L" leading blank",
                                          L"Gr\u00FC\u00DFe \u20AC \u65E5\u672C.txt",
                                          L"dir with space", L"trailing blank "};
    EXPECT_EQ(expected, NamesOf(entries));
    for (const WIN32_FIND_DATAW& entry : entries) {
        bool folder = entry.cFileName[wcslen(entry.cFileName) - 1] == L' ' ||
                      std::wstring(entry.cFileName) == L"dir with space";
        EXPECT_EQ(folder ? DWORD(FILE_ATTRIBUTE_DIRECTORY) : DWORD(FILE_ATTRIBUTE_NORMAL),
                  entry.dwFileAttributes);
        if (entry.cFileName[0] == L' ') {
            EXPECT_EQ(5121u, entry.nFileSizeLow);
        }
        EXPECT_NE(0u, entry.ftLastWriteTime.dwHighDateTime);
    }
}

TEST_F(FtpDirectory, EmptyFolderAndEndOfListing) {
    WIN32_FIND_DATAW data;
    EXPECT_EQ(nullptr, FtpFindFirstFileW(connection_, nullptr, &data, 0, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());

    ASSERT_TRUE(WriteTestFile(LocalPath(L"only"), 1, 1));
    HINTERNET find = FtpFindFirstFileW(connection_, L"*.*", &data, 0, 1);
    ASSERT_NE(nullptr, find);
    EXPECT_STREQ(L"only", data.cFileName);
    EXPECT_FALSE(InternetFindNextFileW(find, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    EXPECT_FALSE(InternetFindNextFileW(find, &data));
    EXPECT_TRUE(InternetCloseHandle(find));
}

TEST_F(FtpDirectory, FindsOneNameOrAWildcardAndLeavesTheConnectionFree) {
    ASSERT_TRUE(WriteTestFile(LocalPath(L"a.txt"), 10, 1));
    ASSERT_TRUE(WriteTestFile(LocalPath(L"b.txt"), 20, 2));
    ASSERT_TRUE(WriteTestFile(LocalPath(L"c.bin"), 30, 3));

    std::vector<WIN32_FIND_DATAW> one = List(connection_, L"b.txt");
    ASSERT_EQ(1u, one.size());
    EXPECT_STREQ(L"b.txt", one[0].cFileName);
    EXPECT_EQ(20u, one[0].nFileSizeLow);
    std::vector<std::wstring> texts = {L"a.txt", L"b.txt"};
    EXPECT_EQ(texts, NamesOf(List(connection_, L"*.txt")));
    EXPECT_TRUE(List(connection_, L"missing").empty());
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());

    // While a listing is walked, the connection takes other commands.
    WIN32_FIND_DATAW data;
    HINTERNET find = FtpFindFirstFileW(connection_, nullptr, &data, 0, 1);
    ASSERT_NE(nullptr, find);
    EXPECT_TRUE(FtpDeleteFileW(connection_, data.cFileName));
    EXPECT_TRUE(InternetFindNextFileW(find, &data));
    EXPECT_TRUE(InternetCloseHandle(find));
}

TEST_F(FtpDirectory, ChangesAndReportsTheCurrentDirectory) {
    std::wstring own = L"/" + folder_;
    ASSERT_TRUE(FtpCreateDirectoryW(connection_, L"sub \"quoted\""));
    ASSERT_TRUE(FtpSetCurrentDirectoryW(connection_, L"sub \"quoted\""));
    EXPECT_EQ(own + L"/sub \"quoted\"", CurrentDirectory());
    ASSERT_TRUE(FtpSetCurrentDirectoryW(connection_, L".."));
    EXPECT_EQ(own, CurrentDirectory());
    ASSERT_TRUE(FtpSetCurrentDirectoryW(connection_, L"/"));
    EXPECT_EQ(L"/", CurrentDirectory());
    ASSERT_TRUE(FtpSetCurrentDirectoryW(connection_, (own + L"/sub \"quoted\"").c_str()));
    EXPECT_EQ(own + L"/sub \"quoted\"", CurrentDirectory());
    EXPECT_FALSE(FtpSetCurrentDirectoryW(connection_, L"no such folder"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_EXTENDED_ERROR), GetLastError());

    // A short buffer is refused with the length it needs, never filled with a cut path.
    wchar_t small[4] = L"old";
    DWORD length = 4;
    EXPECT_FALSE(FtpGetCurrentDirectoryW(connection_, small, &length));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(CurrentDirectory().size() + 1, length);
    EXPECT_STREQ(L"old", small);
}

TEST_F(FtpDirectory, MakesRemovesAndDeletesAndReportsRefusals) {
    ASSERT_TRUE(FtpCreateDirectoryW(connection_, L"made"));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesW(LocalPath(L"made").c_str()));
    EXPECT_FALSE(FtpCreateDirectoryW(connection_, L"made"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_EXTENDED_ERROR), GetLastError());
    ASSERT_TRUE(FtpRemoveDirectoryW(connection_, L"made"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(LocalPath(L"made").c_str()));

    ASSERT_TRUE(WriteTestFile(LocalPath(L"gone"), 1, 1));
    ASSERT_TRUE(FtpDeleteFileW(connection_, L"gone"));
    EXPECT_FALSE(FtpDeleteFileW(connection_, L"gone"));

    ASSERT_TRUE(WriteTestFile(LocalPath(L"undeletable file"), 1, 1));
    ASSERT_TRUE(CreateDirectoryW(LocalPath(L"undeletable folder").c_str(), nullptr));
    EXPECT_FALSE(FtpDeleteFileW(connection_, L"undeletable file"));
    EXPECT_FALSE(FtpRemoveDirectoryW(connection_, L"undeletable folder"));
    DWORD code = 0, size = 128;
    wchar_t reply[128];
    ASSERT_TRUE(InternetGetLastResponseInfoW(&code, reply, &size));
    EXPECT_EQ(550u, code);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(LocalPath(L"undeletable file").c_str()));
}

TEST_F(FtpDirectory, NamesWithLineBreaksAreRefusedBeforeAnythingIsSent) {
    ASSERT_TRUE(WriteTestFile(LocalPath(L"victim"), 1, 1));
    const wchar_t* injected[] = {L"x\r\nDELE victim", L"x\nDELE victim", L"x\rDELE victim"};
    for (const wchar_t* name : injected) {
        EXPECT_FALSE(FtpDeleteFileW(connection_, name));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_FALSE(FtpCreateDirectoryW(connection_, name));
        EXPECT_FALSE(FtpRemoveDirectoryW(connection_, name));
        EXPECT_FALSE(FtpSetCurrentDirectoryW(connection_, name));
        EXPECT_EQ(nullptr, FtpOpenFileW(connection_, name, GENERIC_READ, 2, 1));
        WIN32_FIND_DATAW data;
        EXPECT_EQ(nullptr, FtpFindFirstFileW(connection_, name, &data, 0, 1));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
    EXPECT_EQ(nullptr, InternetConnectW(session_, Widen(host_).c_str(), port_, L"u\r\nSITE x",
                                        nullptr, INTERNET_SERVICE_FTP, 0, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(LocalPath(L"victim").c_str()));
}

TEST_F(FtpDirectory, TenThousandEntries) {
    const int count = 10000;
    for (int i = 0; i < count; ++i) {
        HANDLE file = CreateFileW(LocalPath(L"f" + std::to_wstring(i)).c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
    }
    for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
        HINTERNET connection = Connect(flags);
        ASSERT_NE(nullptr, connection);
        ASSERT_TRUE(FtpSetCurrentDirectoryW(connection, (L"/" + folder_).c_str()));
        std::vector<std::wstring> names = NamesOf(List(connection));
        ASSERT_EQ(static_cast<size_t>(count), names.size());
        EXPECT_TRUE(std::binary_search(names.begin(), names.end(), L"f9999"));
        InternetCloseHandle(connection);
    }
}

class FtpHostileListing : public FtpServerTest {};

TEST_F(FtpHostileListing, DeliversOnlySafeNamesOverPasvAndPort) {
    // This server offers neither EPSV nor EPRT, and its PASV replies name an
    // address where nothing listens: the data connection must go to the server.
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_FTP_HOSTILE_PORT");
    for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
        HINTERNET connection = Connect(flags, PortFrom(port));
        ASSERT_NE(nullptr, connection) << GetLastError();
        std::vector<WIN32_FIND_DATAW> entries = List(connection);
        std::vector<std::wstring> expected = {L"folder", L"link", L"name with blanks"};
        EXPECT_EQ(expected, NamesOf(entries));
        for (const WIN32_FIND_DATAW& entry : entries)
            EXPECT_EQ(std::wstring(entry.cFileName) == L"folder",
                      entry.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY);
        InternetCloseHandle(connection);
    }
}

class FtpVsftpd : public FtpServerTest {};

TEST_F(FtpVsftpd, ListsAndChangesDirectoryWithoutMachineListings) {
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_VSFTPD_PORT");
    REQUIRE_FIXTURE_VARIABLE(root, "CORVANE_VSFTPD_ROOT");
    CreateDirectoryW((WinePath(root) + L"\\pub\\folder with blanks").c_str(), nullptr);
    ASSERT_TRUE(WriteTestFile(WinePath(root) + L"\\pub\\caf\u00E9 file", 1234, 1));
    HINTERNET connection = ConnectAs(nullptr, nullptr, PortFrom(port), 0);
    ASSERT_NE(nullptr, connection) << GetLastError();
    ASSERT_TRUE(FtpSetCurrentDirectoryW(connection, L"pub"));
    std::vector<WIN32_FIND_DATAW> entries = List(connection);
    std::vector<std::wstring> names = NamesOf(entries);
    EXPECT_TRUE(std::count(names.begin(), names.end(), L"folder with blanks"));
    EXPECT_TRUE(std::count(names.begin(), names.end(), L"caf\u00E9 file"));
    std::vector<WIN32_FIND_DATAW> one = List(connection, L"caf\u00E9 file");
    ASSERT_EQ(1u, one.size());
    EXPECT_EQ(1234u, one[0].nFileSizeLow);

    // A name listed in a legacy code page can be opened by the name it was listed as.
    ASSERT_TRUE(std::count(names.begin(), names.end(), L"legacy-caf\u00E9"));
    HINTERNET file = FtpOpenFileW(connection, L"legacy-caf\u00E9", GENERIC_READ, 2, 1);
    ASSERT_NE(nullptr, file) << GetLastError();
    char content[64];
    DWORD read = 0;
    EXPECT_TRUE(InternetReadFile(file, content, sizeof(content), &read));
    EXPECT_EQ("legacy bytes", std::string(content, read));
    EXPECT_TRUE(InternetCloseHandle(file));
    InternetCloseHandle(connection);
}
