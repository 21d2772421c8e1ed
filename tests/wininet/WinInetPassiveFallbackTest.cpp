#include "FtpServerTest.h"
#include "support/ScratchFolder.h"

namespace {

// The connection's own word on whether it gave active mode up; ~0 when it cannot be asked.
DWORD FellBack(HINTERNET connection) {
    DWORD value = 0, size = sizeof(value);
    return InternetQueryOptionW(connection, INTERNET_OPTION_FTP_PASSIVE_FALLBACK, &value, &size)
               ? value
               : ~0u;
}

}  // namespace

class FtpPassiveFallback : public FtpServerTest {};

// Active mode against a server that refuses PORT and EPRT, one that takes them
// but never connects back, and one whose connection back comes from another
// address than the server's (the server behind the long link's proxy, which
// connects from its own address: shut unread, and the wait goes on for the
// server's own): the listing or the download (resumed from an offset) that
// comes first is done passively, the connection says so from then on, and it
// stays passive for what follows.
TEST_F(FtpPassiveFallback, ActiveModeTurnsPassiveWhenTheServerCannotConnectBack) {
    REQUIRE_FIXTURE_VARIABLE(refusing, "CORVANE_FTP_NO_ACTIVE_PORT");
    REQUIRE_FIXTURE_VARIABLE(noConnectBack, "CORVANE_FTP_NO_CONNECT_BACK_PORT");
    REQUIRE_FIXTURE_VARIABLE(longLink, "CORVANE_FTP_LONGLINK_PORT");
    ShortWaitBounds bounds;  // the connection back is waited for a second, not ten
    ASSERT_TRUE(WriteTestFile(LocalPath(L"file"), 300000, 3));
    const std::string whole = ReadBytes(LocalPath(L"file"));
    for (const std::string& port : {refusing, noConnectBack, longLink}) {
        for (bool listFirst : {true, false}) {
            SCOPED_TRACE(port + (listFirst ? ", listing first" : ", download first"));
            HINTERNET connection = Connect(0, PortFrom(port));
            ASSERT_NE(nullptr, connection) << GetLastError();
            EnterOwnFolder(connection);
            EXPECT_EQ(0u, FellBack(connection));
            std::string data;
            if (listFirst) {
                EXPECT_EQ(std::vector<std::wstring>{L"file"}, NamesOf(List(connection)));
                EXPECT_EQ(1u, FellBack(connection));
            }
            ASSERT_TRUE(FtpCommandW(connection, FALSE, 0, L"REST 1000", 0, nullptr));
            EXPECT_TRUE(Download(connection, L"file", FTP_TRANSFER_TYPE_BINARY, data));
            EXPECT_TRUE(data == whole.substr(1000)) << data.size();
            EXPECT_EQ(std::vector<std::wstring>{L"file"}, NamesOf(List(connection)));
            EXPECT_EQ(1u, FellBack(connection));
            InternetCloseHandle(connection);
        }
    }
    // A server that connects back keeps active mode.
    HINTERNET active = Connect(0);
    ASSERT_NE(nullptr, active) << GetLastError();
    EnterOwnFolder(active);
    EXPECT_EQ(std::vector<std::wstring>{L"file"}, NamesOf(List(active)));
    EXPECT_EQ(0u, FellBack(active));
    InternetCloseHandle(active);
}
