#include <algorithm>
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
    for (size_t count; ok && (count = fread(block.data(), 1, kBlock, local)) > 0;) {
        DWORD written = 0;
        ok = InternetWriteFile(file, block.data(), static_cast<DWORD>(count), &written) &&
             written == count;
    }
    if (local) fclose(local);
    return InternetCloseHandle(file) && ok;
}

// Sends and fetches back files of awkward sizes in both data modes, comparing
// checksums with the disk on both sides.
template <typename Connect>
void RoundTrip(Connect connect, const std::wstring& localFolder, const std::wstring& serverFolder) {
    for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
        HINTERNET connection = connect(flags);
        ASSERT_NE(nullptr, connection) << GetLastError();
        for (uint64_t size :
             {uint64_t(0), uint64_t(kBlock), uint64_t(kBlock + 1), uint64_t(50) << 20}) {
            SCOPED_TRACE((flags ? "passive, " : "active, ") + std::to_string(size));
            std::wstring name = L"file " + std::to_wstring(size);
            std::wstring source = localFolder + L"\\source " + std::to_wstring(size);
            ASSERT_TRUE(WriteTestFile(source, size, static_cast<unsigned>(size)));
            ASSERT_TRUE(Upload(connection, name, source)) << GetLastError();
            EXPECT_EQ(FileChecksum(source), FileChecksum(serverFolder + L"\\" + name));
            uint64_t checksum = 0, received = 0;
            ASSERT_TRUE(Download(connection, name, FTP_TRANSFER_TYPE_BINARY, checksum, received))
                << GetLastError();
            EXPECT_EQ(size, received);
            EXPECT_EQ(FileChecksum(source), checksum);
        }
        InternetCloseHandle(connection);
    }
}

}  // namespace

class FtpTransfer : public FtpServerTest {
  protected:
    // Opens on the hostile server a download that never sends a byte.
    HINTERNET OpenStalled(HINTERNET& connection, const std::string& port) {
        connection = Connect(INTERNET_FLAG_PASSIVE, PortFrom(port));
        EXPECT_NE(nullptr, connection) << GetLastError();
        return connection ? FtpOpenFileW(connection, L"stalled", GENERIC_READ, 2, 1) : nullptr;
    }
};

TEST_F(FtpTransfer, FilesArriveByteIdenticalInPassiveAndActiveMode) {
    auto connect = [&](DWORD flags) {
        HINTERNET connection = Connect(flags);
        if (connection) EnterOwnFolder(connection);
        return connection;
    };
    RoundTrip(connect, LocalPath(L""), LocalPath(L""));
}

TEST_F(FtpTransfer, VsftpdListsLegacyNamesAndTransfersByteIdentical) {
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_VSFTPD_PORT");
    REQUIRE_FIXTURE_VARIABLE(root, "CORVANE_VSFTPD_ROOT");
    const std::wstring pub = WinePath(root) + L"\\pub";
    CreateDirectoryW((pub + L"\\folder with blanks").c_str(), nullptr);
    ASSERT_TRUE(WriteTestFile(pub + L"\\caf\u00E9 file", 1234, 1));
    auto connect = [&](DWORD flags) {
        HINTERNET connection = ConnectAs(nullptr, nullptr, PortFrom(port), flags);
        EXPECT_TRUE(connection && FtpSetCurrentDirectoryW(connection, L"pub")) << GetLastError();
        return connection;
    };
    HINTERNET connection = connect(0);
    ASSERT_NE(nullptr, connection) << GetLastError();
    std::vector<std::wstring> names = NamesOf(List(connection));
    for (LPCWSTR name : {L"folder with blanks", L"caf\u00E9 file", L"legacy-caf\u00E9"})
        EXPECT_TRUE(std::count(names.begin(), names.end(), name)) << name;
    std::vector<WIN32_FIND_DATAW> one = List(connection, L"caf\u00E9 file");
    ASSERT_EQ(1u, one.size());
    EXPECT_EQ(1234u, one[0].nFileSizeLow);
    // A name listed in a legacy code page can be opened by the name it was listed as.
    uint64_t checksum = 0, size = 0;
    EXPECT_TRUE(
        Download(connection, L"legacy-caf\u00E9", FTP_TRANSFER_TYPE_BINARY, checksum, size));
    EXPECT_EQ(BufferChecksum("legacy bytes", 12), checksum);
    InternetCloseHandle(connection);

    CreateDirectoryW(LocalPath(L"").c_str(), nullptr);
    RoundTrip(connect, LocalPath(L""), pub);
}

TEST_F(FtpTransfer, OpenFileConvertsTextBlocksOtherCommandsAndReportsFailures) {
    HINTERNET connection = Connect();
    ASSERT_NE(nullptr, connection);
    EnterOwnFolder(connection);
    FILE* text = _wfopen(LocalPath(L"lines.txt").c_str(), L"wb");
    ASSERT_NE(nullptr, text);
    fputs("one\ntwo\n", text);
    fclose(text);
    uint64_t checksum = 0, size = 0;
    ASSERT_TRUE(Download(connection, L"lines.txt", FTP_TRANSFER_TYPE_ASCII, checksum, size));
    EXPECT_EQ(BufferChecksum("one\r\ntwo\r\n", 10), checksum);
    ASSERT_TRUE(Download(connection, L"lines.txt", FTP_TRANSFER_TYPE_BINARY, checksum, size));
    EXPECT_EQ(8u, size);

    EXPECT_EQ(ERROR_INTERNET_EXTENDED_ERROR,
              FailureOf(FtpOpenFileW(connection, L"missing", GENERIC_READ, 2, 1)));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              FailureOf(FtpOpenFileW(connection, L"x", GENERIC_READ | GENERIC_WRITE, 2, 1)));
    // Anonymous logins work and may read, but not write.
    HINTERNET anonymous = ConnectAs(nullptr, nullptr);
    ASSERT_NE(nullptr, anonymous);
    EXPECT_EQ(ERROR_INTERNET_EXTENDED_ERROR,
              FailureOf(FtpOpenFileW(anonymous, L"refused", GENERIC_WRITE, 2, 1)));
    EXPECT_TRUE(FtpSetCurrentDirectoryW(anonymous, L"/"));
    InternetCloseHandle(anonymous);

    ASSERT_TRUE(WriteTestFile(LocalPath(L"big"), 8u << 20, 7));
    HINTERNET file = FtpOpenFileW(connection, L"big", GENERIC_READ, 2, 1);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(ERROR_FTP_TRANSFER_IN_PROGRESS,
              FailureOf(FtpCreateDirectoryW(connection, L"meanwhile")));
    DWORD written = 0, read = 0;
    EXPECT_FALSE(InternetWriteFile(file, "x", 1, &written));
    char block[kBlock];
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
    EXPECT_EQ(ERROR_INTERNET_EXTENDED_ERROR, FailureOf(InternetCloseHandle(file)));
    EXPECT_EQ(451u, LastReplyCode());
    InternetCloseHandle(connection);
}

TEST_F(FtpTransfer, StalledReadIsReleasedByACloseFromAnotherThread) {
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_FTP_HOSTILE_PORT");
    HINTERNET connection = nullptr, file = OpenStalled(connection, port);
    ASSERT_NE(nullptr, file) << GetLastError();
    long error = NO_ERROR;
    ULONGLONG returnedAt = 0;
    std::thread reader([&] {
        char block[kBlock];
        DWORD read = 0;
        error = FailureOf(InternetReadFile(file, block, kBlock, &read));
        returnedAt = GetTickCount64();
    });
    Sleep(300);
    ULONGLONG closedAt = GetTickCount64();
    InternetCloseHandle(file);
    reader.join();
    EXPECT_EQ(ERROR_INTERNET_OPERATION_CANCELLED, error);
    EXPECT_LT(returnedAt - closedAt, 5000u);
    InternetCloseHandle(connection);

    // A cancelled transfer worker that does not stop in time is terminated
    // inside its read; closing its handles afterwards must not hang.
    file = OpenStalled(connection, port);
    ASSERT_NE(nullptr, file) << GetLastError();
    HANDLE stuck = CreateThread(
        nullptr, 0,
        [](LPVOID stalled) -> DWORD {
            char block[kBlock];
            DWORD read = 0;
            return InternetReadFile(static_cast<HINTERNET>(stalled), block, kBlock, &read);
        },
        file, 0, nullptr);
    Sleep(300);
    TerminateThread(stuck, 0);
    CloseHandle(stuck);
    EXPECT_TRUE(InternetCloseHandle(file));
    EXPECT_FALSE(FtpSetCurrentDirectoryW(connection, L"/"));
    EXPECT_TRUE(InternetCloseHandle(connection));
}
