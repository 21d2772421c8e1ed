#include <thread>
#include <vector>

#include "FtpServerTest.h"

namespace {

constexpr DWORD kBlock = 5120;

// Reads a remote file in the engine's 5120-byte blocks; only the last block may be short.
bool Download(HINTERNET connection, const std::wstring& name, DWORD type, uint64_t& checksum,
              uint64_t& size) {
    HINTERNET file = FtpOpenFileW(connection, name.c_str(), GENERIC_READ, type, 1);
    if (!file) return false;
    std::vector<char> block(kBlock);
    checksum = BufferChecksum(nullptr, 0);
    size = 0;
    bool shortSeen = false, ok = true;
    DWORD read = 0;
    while ((ok = InternetReadFile(file, block.data(), kBlock, &read) != FALSE) && read > 0) {
        EXPECT_FALSE(shortSeen) << "a short block came before the end";
        shortSeen = read < kBlock;
        checksum = BufferChecksum(block.data(), read, checksum);
        size += read;
    }
    return InternetCloseHandle(file) && ok;
}

bool Upload(HINTERNET connection, const std::wstring& name, const std::wstring& localPath) {
    HINTERNET file =
        FtpOpenFileW(connection, name.c_str(), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
    if (!file) return false;
    FILE* local = _wfopen(localPath.c_str(), L"rb");
    std::vector<char> block(kBlock);
    bool ok = local != nullptr;
    size_t count;
    while (ok && (count = fread(block.data(), 1, kBlock, local)) > 0) {
        DWORD written = 0;
        ok = InternetWriteFile(file, block.data(), static_cast<DWORD>(count), &written) &&
             written == count;
    }
    if (local) fclose(local);
    return InternetCloseHandle(file) && ok;
}

}  // namespace

class FtpTransfer : public FtpServerTest {
  protected:
    // Sends and fetches back files of awkward sizes, comparing checksums with the disk.
    void RoundTrip(HINTERNET connection, const std::wstring& serverFolder) {
        const uint64_t sizes[] = {0, kBlock, kBlock + 1, (3u << 20) + 7, 50u << 20};
        for (uint64_t size : sizes) {
            std::wstring name = L"file " + std::to_wstring(size);
            std::wstring source = LocalPath(L"source " + std::to_wstring(size));
            ASSERT_TRUE(WriteTestFile(source, size, static_cast<unsigned>(size)));
            ASSERT_TRUE(Upload(connection, name, source)) << size << ": " << GetLastError();
            EXPECT_EQ(FileChecksum(source), FileChecksum(serverFolder + L"\\" + name)) << size;
            uint64_t checksum = 0, received = 0;
            ASSERT_TRUE(Download(connection, name, FTP_TRANSFER_TYPE_BINARY, checksum, received))
                << size << ": " << GetLastError();
            EXPECT_EQ(size, received);
            EXPECT_EQ(FileChecksum(source), checksum) << size;
        }
    }
};

TEST_F(FtpTransfer, FilesArriveByteIdenticalInPassiveAndActiveMode) {
    for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
        SCOPED_TRACE(flags ? "passive" : "active");
        HINTERNET connection = Connect(flags);
        ASSERT_NE(nullptr, connection) << GetLastError();
        EnterOwnFolder(connection);
        RoundTrip(connection, LocalPath(L""));
        InternetCloseHandle(connection);
    }
}

TEST_F(FtpTransfer, VsftpdRoundTrip) {
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_VSFTPD_PORT");
    REQUIRE_FIXTURE_VARIABLE(root, "CORVANE_VSFTPD_ROOT");
    CreateDirectoryW(LocalPath(L"").c_str(), nullptr);
    for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
        SCOPED_TRACE(flags ? "passive" : "active");
        HINTERNET connection = ConnectAs(nullptr, nullptr, PortFrom(port), flags);
        ASSERT_NE(nullptr, connection) << GetLastError();
        ASSERT_TRUE(FtpSetCurrentDirectoryW(connection, L"pub"));
        RoundTrip(connection, WinePath(root) + L"\\pub");
        InternetCloseHandle(connection);
    }
}

TEST_F(FtpTransfer, AsciiTypeConvertsLineEnds) {
    HINTERNET connection = Connect();
    ASSERT_NE(nullptr, connection);
    EnterOwnFolder(connection);
    FILE* file = _wfopen(LocalPath(L"lines.txt").c_str(), L"wb");
    ASSERT_NE(nullptr, file);
    fputs("one\ntwo\n", file);
    fclose(file);
    uint64_t checksum = 0, size = 0;
    ASSERT_TRUE(Download(connection, L"lines.txt", FTP_TRANSFER_TYPE_ASCII, checksum, size));
    EXPECT_EQ(BufferChecksum("one\r\ntwo\r\n", 10), checksum);
    ASSERT_TRUE(Download(connection, L"lines.txt", FTP_TRANSFER_TYPE_BINARY, checksum, size));
    EXPECT_EQ(8u, size);
    InternetCloseHandle(connection);
}

TEST_F(FtpTransfer, OpenFileBlocksOtherCommandsAndReportsFailures) {
    HINTERNET connection = Connect();
    ASSERT_NE(nullptr, connection);
    EnterOwnFolder(connection);
    EXPECT_EQ(nullptr, FtpOpenFileW(connection, L"missing", GENERIC_READ, 2, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_EXTENDED_ERROR), GetLastError());
    EXPECT_EQ(nullptr, FtpOpenFileW(connection, L"x", GENERIC_READ | GENERIC_WRITE, 2, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    // Anonymous logins work and may read, but not write.
    HINTERNET anonymous = ConnectAs(nullptr, nullptr);
    ASSERT_NE(nullptr, anonymous);
    EXPECT_EQ(nullptr, FtpOpenFileW(anonymous, L"refused", GENERIC_WRITE, 2, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_EXTENDED_ERROR), GetLastError());
    EXPECT_TRUE(FtpSetCurrentDirectoryW(anonymous, L"/"));
    InternetCloseHandle(anonymous);

    ASSERT_TRUE(WriteTestFile(LocalPath(L"big"), 8u << 20, 7));
    HINTERNET file = FtpOpenFileW(connection, L"big", GENERIC_READ, 2, 1);
    ASSERT_NE(nullptr, file);
    EXPECT_FALSE(FtpCreateDirectoryW(connection, L"meanwhile"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FTP_TRANSFER_IN_PROGRESS), GetLastError());
    DWORD written = 0;
    EXPECT_FALSE(InternetWriteFile(file, "x", 1, &written));
    char block[kBlock];
    DWORD read = 0;
    ASSERT_TRUE(InternetReadFile(file, block, kBlock, &read));
    EXPECT_EQ(kBlock, read);
    // Closing a download early ends it; the connection is usable again.
    EXPECT_TRUE(InternetCloseHandle(file));
    EXPECT_TRUE(FtpCreateDirectoryW(connection, L"afterwards"));
    InternetCloseHandle(connection);
}

TEST_F(FtpTransfer, DownloadTheServerReportsAsFailedFailsItsClose) {
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_FTP_HOSTILE_PORT");
    HINTERNET connection = Connect(INTERNET_FLAG_PASSIVE, PortFrom(port));
    ASSERT_NE(nullptr, connection) << GetLastError();
    HINTERNET file = FtpOpenFileW(connection, L"truncated", GENERIC_READ, 2, 1);
    ASSERT_NE(nullptr, file) << GetLastError();
    char block[kBlock];
    DWORD read = 0;
    ASSERT_TRUE(InternetReadFile(file, block, kBlock, &read));
    EXPECT_EQ("partial data", std::string(block, read));
    EXPECT_FALSE(InternetCloseHandle(file));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_EXTENDED_ERROR), GetLastError());
    DWORD code = 0, size = 128;
    wchar_t reply[128];
    ASSERT_TRUE(InternetGetLastResponseInfoW(&code, reply, &size));
    EXPECT_EQ(451u, code);
    InternetCloseHandle(connection);
}

TEST_F(FtpTransfer, CloseFromAnotherThreadReleasesABlockedRead) {
    // The hostile server opens the data connection for RETR and then sends nothing.
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_FTP_HOSTILE_PORT");
    HINTERNET connection = Connect(INTERNET_FLAG_PASSIVE, PortFrom(port));
    ASSERT_NE(nullptr, connection) << GetLastError();
    HINTERNET file = FtpOpenFileW(connection, L"stalled", GENERIC_READ, 2, 1);
    ASSERT_NE(nullptr, file) << GetLastError();
    BOOL result = TRUE;
    DWORD error = 0;
    ULONGLONG returnedAt = 0;
    std::thread reader([&] {
        char block[kBlock];
        DWORD read = 0;
        result = InternetReadFile(file, block, kBlock, &read);
        error = GetLastError();
        returnedAt = GetTickCount64();
    });
    Sleep(300);
    ULONGLONG closedAt = GetTickCount64();
    InternetCloseHandle(file);
    reader.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED), error);
    EXPECT_LT(returnedAt - closedAt, 5000u);
    InternetCloseHandle(connection);
}

namespace {

DWORD WINAPI ReadForever(LPVOID file) {
    char block[kBlock];
    DWORD read = 0;
    InternetReadFile(static_cast<HINTERNET>(file), block, kBlock, &read);
    return 0;
}

}  // namespace

TEST_F(FtpTransfer, CloseAfterTheReaderWasTerminatedStillReturns) {
    // A cancelled transfer worker that does not stop in time is terminated
    // inside its read; closing its handles afterwards must not hang.
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_FTP_HOSTILE_PORT");
    HINTERNET connection = Connect(INTERNET_FLAG_PASSIVE, PortFrom(port));
    ASSERT_NE(nullptr, connection) << GetLastError();
    HINTERNET file = FtpOpenFileW(connection, L"stalled", GENERIC_READ, 2, 1);
    ASSERT_NE(nullptr, file) << GetLastError();
    HANDLE reader = CreateThread(nullptr, 0, ReadForever, file, 0, nullptr);
    Sleep(300);
    TerminateThread(reader, 0);
    CloseHandle(reader);
    EXPECT_TRUE(InternetCloseHandle(file));
    EXPECT_FALSE(FtpSetCurrentDirectoryW(connection, L"/"));
    EXPECT_TRUE(InternetCloseHandle(connection));
}
