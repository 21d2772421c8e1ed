#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <string>

#include "ftp/ServerReason.h"
#include "support/FtpFixture.h"

namespace {

// The reason is read from the fixture server's real replies to raw commands.
class ServerReasonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server.Load()) GTEST_SKIP() << "the FTP fixture is not running";
        session = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        connection =
            InternetConnectW(session, server.host.c_str(), server.port, server.user.c_str(),
                             server.password.c_str(), INTERNET_SERVICE_FTP, 0, 0);
        ASSERT_NE(nullptr, connection);
    }
    void TearDown() override {
        if (connection) InternetCloseHandle(connection);
        if (session) InternetCloseHandle(session);
    }
    bool Send(const std::wstring& command) {
        return FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), 0,
                           nullptr) != FALSE;
    }

    FixtureServer server;
    HINTERNET session = nullptr, connection = nullptr;
};

}  // namespace

TEST_F(ServerReasonTest, IsTheRefusalJustSeenTakenOnce) {
    const std::wstring refused = L"550 No such file or directory.";
    ASSERT_FALSE(Send(L"DELE no such file"));
    EXPECT_EQ(L"Can't delete file\n" + refused, WithServerReason(L"Can't delete file"));
    EXPECT_EQ(L"", TakeServerReason());  // already told

    // A local failure or a success after the refusal: its reply explains nothing.
    ASSERT_FALSE(Send(L"DELE no such file"));
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(L"", TakeServerReason());
    ASSERT_FALSE(Send(L"DELE no such file"));
    ASSERT_TRUE(Send(L"NOOP"));
    EXPECT_EQ(L"", TakeServerReason());
}

// The server's text is its own: control characters blank, a long reply cut.
TEST_F(ServerReasonTest, IsBoundedAndPrintable) {
    ASSERT_FALSE(Send(L"A\tB"));
    EXPECT_EQ(L"500 Command \"A B\" not understood.", TakeServerReason());
    ASSERT_FALSE(Send(std::wstring(600, L'X')));
    std::wstring reason = TakeServerReason();
    EXPECT_EQ(401u, reason.size());
    EXPECT_EQ(L"500 Command \"XXX", reason.substr(0, 16));
    EXPECT_EQ(L'\u2026', reason.back());
}
