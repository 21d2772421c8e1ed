#include <algorithm>
#include <fstream>

#include "FtpServerTest.h"
#include "support/ScratchFolder.h"

namespace {

// Bytes that depend on the size, so no two files of a test look alike.
std::string Pattern(size_t size) { return TestBytes(size, static_cast<unsigned>(size)); }

// Whether a server's log holds a line with both texts ("OK UPLOAD" or "FAIL UPLOAD" and a name).
bool LogHas(const std::string& path, const std::string& outcome, const std::string& name) {
    std::ifstream log(WinePath(path).c_str());
    for (std::string line; std::getline(log, line);)
        if (line.find(outcome) != std::string::npos && line.find(name) != std::string::npos)
            return true;
    return false;
}

bool Upload(HINTERNET connection, LPCWSTR name, const std::string& data) {
    HINTERNET file = FtpOpenFileW(connection, name, GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
    bool ok = file != nullptr;
    for (size_t at = 0; ok && at < data.size(); at += kEngineBlock) {
        DWORD count = static_cast<DWORD>(std::min<size_t>(kEngineBlock, data.size() - at)),
              written = 0;
        ok = InternetWriteFile(file, data.data() + at, count, &written) && written == count;
    }
    return file && InternetCloseHandle(file) && ok;
}

}  // namespace

class FtpTransfer : public FtpServerTest {
  protected:
    // The test's folder on pyftpdlib and vsftpd's upload folder, each with the
    // server's own log of uploads; a server missing is a failure, never a pass.
    struct Server {
        HINTERNET connection;
        std::string uploadLog;
    };
    std::vector<Server> WritableServers() {
        std::string log, root;
        FixtureVariable("CORVANE_FTP_UPLOAD_LOG", log);
        std::vector<Server> servers = {{connection_, log}};
        if (FixtureVariable("CORVANE_VSFTPD_ROOT", root) &&
            (vsftpd_ = ConnectAs(nullptr, nullptr, FixturePort("CORVANE_VSFTPD_PORT"))) &&
            FtpSetCurrentDirectoryW(vsftpd_, L"pub"))
            servers.push_back({vsftpd_, root + "/../vsftpd.log"});
        else
            ADD_FAILURE() << "no login to vsftpd (CORVANE_VSFTPD_PORT): " << kFixtureMissing;
        return servers;
    }
    void TearDown() override {
        if (vsftpd_) InternetCloseHandle(vsftpd_);
        FtpServerTest::TearDown();
    }
    HINTERNET vsftpd_ = nullptr;

    // Sends and fetches back files of awkward sizes in both data modes, comparing
    // them with what arrived on the server's disk and back here. The large one is
    // then read again and closed early (ABOR, under TLS without the urgent byte that
    // corrupts vsftpd's stream): the next files go over the same connection.
    void RoundTrip(LPCWSTR user, LPCWSTR password, INTERNET_PORT port, LPCWSTR folder,
                   const std::wstring& folderOnDisk, DWORD tls = 0, LPCWSTR host = nullptr) {
        for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
            HINTERNET connection = ConnectAs(user, password, port, flags | tls, host);
            ASSERT_NE(nullptr, connection) << GetLastError();
            ASSERT_TRUE(FtpSetCurrentDirectoryW(connection, folder));
            for (size_t size :
                 {size_t(50) << 20, size_t(0), size_t(kEngineBlock), size_t(kEngineBlock + 1)}) {
                SCOPED_TRACE((flags ? "passive, " : "active, ") + std::to_string(size));
                std::wstring name = L"file " + std::to_wstring(size);
                std::string data = Pattern(size), back;
                ASSERT_TRUE(Upload(connection, name.c_str(), data)) << GetLastError();
                EXPECT_EQ(BufferChecksum(data.data(), size),
                          FileChecksum(folderOnDisk + L"\\" + name));
                ASSERT_TRUE(Download(connection, name.c_str(), FTP_TRANSFER_TYPE_BINARY, back))
                    << GetLastError();
                EXPECT_TRUE(back == data) << back.size();
                if (size < kEngineBlock * 2) continue;
                HINTERNET file = FtpOpenFileW(connection, name.c_str(), GENERIC_READ, 2, 1);
                DWORD read = 0;
                ASSERT_TRUE(file && InternetReadFile(file, &back[0], kEngineBlock, &read));
                EXPECT_TRUE(InternetCloseHandle(file));
            }
            InternetCloseHandle(connection);
        }
    }
};

// Over TLS, with certificates the test authority issued for "localhost": no
// question is asked. (In the clear, pyftpdlib's trees go both ways in both
// modes through the transfer workers' tests; vsftpd's below.) vsftpd keeps require_ssl_reuse=YES,
// so its data connections pass only when they resume the control connection's session.
TEST_F(FtpTransfer, FilesArriveByteIdenticalOverTlsAtPyftpdlibAndVsftpd) {
    ASSERT_TRUE(TrustTestAuthority());
    RoundTrip(server_.user.c_str(), server_.password.c_str(),
              FixturePort("CORVANE_FTPS_TRUSTED_PORT"), (L"/" + folder_).c_str(), LocalPath(L""),
              INTERNET_FLAG_FTP_TLS_REQUIRED, L"localhost");
    REQUIRE_FIXTURE_VARIABLE(root, "CORVANE_VSFTPD_ROOT");
    RoundTrip(nullptr, nullptr, FixturePort("CORVANE_VSFTPS_PORT"), L"pub",
              WinePath(root) + L"\\pub", INTERNET_FLAG_FTP_TLS_REQUIRED, L"localhost");
}

TEST_F(FtpTransfer, VsftpdListsLegacyNamesAndTransfersByteIdentical) {
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_VSFTPD_PORT");
    REQUIRE_FIXTURE_VARIABLE(root, "CORVANE_VSFTPD_ROOT");
    const std::wstring pub = WinePath(root) + L"\\pub";
    ASSERT_TRUE(WriteTestFile(pub + L"\\caf\u00E9 file", 1234, 1));
    HINTERNET connection = ConnectAs(nullptr, nullptr, PortFrom(port), 0);
    ASSERT_NE(nullptr, connection) << GetLastError();
    ASSERT_TRUE(FtpSetCurrentDirectoryW(connection, L"pub"));
    std::vector<std::wstring> names = NamesOf(List(connection));
    for (LPCWSTR name : {L"caf\u00E9 file", L"legacy-caf\u00E9"})
        EXPECT_TRUE(std::count(names.begin(), names.end(), name)) << name;
    std::vector<WIN32_FIND_DATAW> one = List(connection, L"caf\u00E9 file");
    ASSERT_EQ(1u, one.size());
    EXPECT_EQ(1234u, one[0].nFileSizeLow);
    // A name listed in a legacy code page can be opened by the name it was listed as.
    std::string data;
    EXPECT_TRUE(Download(connection, L"legacy-caf\u00E9", FTP_TRANSFER_TYPE_BINARY, data));
    EXPECT_EQ("legacy bytes", data);
    InternetCloseHandle(connection);
    RoundTrip(nullptr, nullptr, PortFrom(port), L"pub", pub);
}

// Text mode, resuming (REST, SIZE) and failed downloads (a data connection
// reset midway among them) run through the transfer workers' tests, renaming
// through the view's.
TEST_F(FtpTransfer, OpenFileBlocksOtherCommandsAndReportsFailures) {
    HINTERNET connection = connection_;
    EXPECT_EQ(ERROR_INTERNET_EXTENDED_ERROR,
              FailureOf(FtpOpenFileW(connection, L"missing", GENERIC_READ, 2, 1)));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              FailureOf(FtpOpenFileW(connection, L"x", GENERIC_READ | GENERIC_WRITE, 2, 1)));

    ASSERT_TRUE(WriteTestFile(LocalPath(L"big"), 8u << 20, 7));
    HINTERNET file = FtpOpenFileW(connection, L"big", GENERIC_READ, 2, 1);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(ERROR_FTP_TRANSFER_IN_PROGRESS,
              FailureOf(FtpCreateDirectoryW(connection, L"meanwhile")));
    DWORD written = 0;
    EXPECT_FALSE(InternetWriteFile(file, "x", 1, &written));
    EXPECT_TRUE(InternetCloseHandle(file));  // closed unread, as the round trip's early close
    // A command with a data connection of its own is not offered.
    EXPECT_EQ(
        ERROR_INVALID_PARAMETER,
        FailureOf(FtpCommandW(connection, TRUE, FTP_TRANSFER_TYPE_BINARY, L"NLST", 0, &file)));
}

// A download's data may come before its preliminary reply, which may come in
// pieces; a failure may come in its place. The data is delivered whole, the
// transfer ends as the server's last reply says, and the next command gets its
// own reply.
TEST_F(FtpTransfer, DataBeforeThePreliminaryReplyKeepsTheRepliesInStep) {
    HINTERNET connection =
        ConnectAs(L"user", L"secret", FixturePort("CORVANE_FTP_DATA_FIRST_PORT"));
    ASSERT_NE(nullptr, connection) << GetLastError();
    for (bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "fails" : "arrives");
        HINTERNET file = FtpOpenFileW(connection, fails ? L"fails" : L"arrives", GENERIC_READ,
                                      FTP_TRANSFER_TYPE_BINARY, 1);
        ASSERT_NE(nullptr, file) << GetLastError();
        char block[kEngineBlock];
        DWORD read = 0, total = 0;
        while (InternetReadFile(file, block, sizeof(block), &read) && read > 0) total += read;
        EXPECT_EQ(3000u, total);
        EXPECT_EQ(fails ? ERROR_INTERNET_EXTENDED_ERROR : NO_ERROR,
                  FailureOf(InternetCloseHandle(file)));
        EXPECT_EQ(fails ? 451u : 226u, LastReplyCode());
    }
    EXPECT_TRUE(FtpCreateDirectoryW(connection, L"after"));
    EXPECT_EQ(200u, LastReplyCode());
    InternetCloseHandle(connection);
}

// Once the server granted EPSV, the transfer command goes out with it. One it
// announces behind a refused EPSV, with no data connection to come, ends the
// connection at once, so that no late reply answers a later command. (One the
// server refuses leaves the connection usable, with its reply: the transfer
// workers' refused files.)
TEST_F(FtpTransfer, ACommandAnnouncedBehindARefusedEpsvEndsTheConnectionAtOnce) {
    ASSERT_TRUE(WriteTestFile(LocalPath(L"file"), 3000, 5));
    std::string data;
    HINTERNET once = Connect(INTERNET_FLAG_PASSIVE, FixturePort("CORVANE_FTP_EPSV_ONCE_PORT"));
    ASSERT_NE(nullptr, once) << GetLastError();
    EnterOwnFolder(once);
    ASSERT_TRUE(Download(once, L"file", FTP_TRANSFER_TYPE_BINARY, data));
    double seconds =
        SecondsFor([&] { EXPECT_EQ(nullptr, FtpOpenFileW(once, L"file", GENERIC_READ, 2, 1)); });
    EXPECT_LT(seconds, 5.0);  // a fault detector, far below the reply bound
    EXPECT_EQ(ERROR_FTP_DROPPED, FailureOf(FtpSetCurrentDirectoryW(once, L"/")));
    InternetCloseHandle(once);
}

TEST_F(FtpTransfer, UploadsCutShortAreRecordedIncompleteByTheServer) {
    // Cut before and after the point where the data starts moving on a thread of its own.
    struct {
        const char* name;
        size_t size;
        bool abort;
    } uploads[] = {
        {"cut-early", 100 << 10, true}, {"cut-late", 3 << 20, true}, {"whole", 3 << 20, false}};
    for (const Server& server : WritableServers()) {
        for (const auto& upload : uploads) {
            SCOPED_TRACE(server.uploadLog + ", " + upload.name);
            std::wstring name = Widen(upload.name);
            HINTERNET file = FtpOpenFileW(server.connection, name.c_str(), GENERIC_WRITE,
                                          FTP_TRANSFER_TYPE_BINARY, 1);
            ASSERT_NE(nullptr, file) << GetLastError();
            std::string data = Pattern(upload.size);
            DWORD written = 0;
            ASSERT_TRUE(
                InternetWriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written));
            if (upload.abort) {
                ASSERT_TRUE(FtpAbortFile(file));
                EXPECT_EQ(ERROR_INTERNET_OPERATION_CANCELLED,
                          FailureOf(InternetWriteFile(file, "x", 1, &written)));
            }
            EXPECT_TRUE(InternetCloseHandle(file));
            EXPECT_EQ(upload.abort ? 426u : 226u, LastReplyCode());
            // The connection stays in step, and its next reply comes after the server's log line.
            EXPECT_TRUE(FtpSetCurrentDirectoryW(server.connection, L"."));
            EXPECT_TRUE(
                LogHas(server.uploadLog, upload.abort ? "FAIL UPLOAD" : "OK UPLOAD", upload.name));
            EXPECT_FALSE(
                LogHas(server.uploadLog, upload.abort ? "OK UPLOAD" : "FAIL UPLOAD", upload.name));
        }
    }
}

// Whole buffers until the data ends, and the end a read of zero bytes (every
// Download checks it): past the first megabyte, where the pump's thread moves
// the data, in blocks of other sizes, and over a link that trickles. Files that
// end on a buffer's edge, just past it or before any go through the round trips.
TEST_F(FtpTransfer, ReadsFillTheBufferUntilTheEndWhichIsAZeroByteRead) {
    HINTERNET slow = Connect(INTERNET_FLAG_PASSIVE, FixturePort("CORVANE_FTP_SLOW_LINK_PORT"));
    ASSERT_NE(nullptr, slow) << GetLastError();
    EnterOwnFolder(slow);
    const struct {
        HINTERNET connection;
        size_t size;
        DWORD block;
    } cases[] = {{connection_, (1 << 20) + 3, 65536},
                 {connection_, (3 << 20) + 1, 4000},
                 {slow, 3 * kEngineBlock + 17, kEngineBlock}};
    for (const auto& test : cases) {
        SCOPED_TRACE(std::to_string(test.size) + " by " + std::to_string(test.block));
        std::wstring name = L"sized " + std::to_wstring(test.size);
        WriteBytes(LocalPath(name), Pattern(test.size));
        std::string data;
        EXPECT_TRUE(
            Download(test.connection, name.c_str(), FTP_TRANSFER_TYPE_BINARY, data, test.block));
        EXPECT_TRUE(data == Pattern(test.size)) << data.size();
    }
    InternetCloseHandle(slow);
}
