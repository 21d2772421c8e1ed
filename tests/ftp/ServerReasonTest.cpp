#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include "ftp/ServerReason.h"
#include "support/FtpFixture.h"

// The reason is the refusal just seen on this thread, told once, printable and
// bounded; a local failure or a success after the refusal shows none.
TEST(ServerReason, IsTheRefusalJustSeenToldOnce) {
    FixtureServer server;
    ASSERT_TRUE(server.Load()) << kFixtureMissing;
    HINTERNET session = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection =
        InternetConnectW(session, server.host.c_str(), server.port, server.user.c_str(),
                         server.password.c_str(), INTERNET_SERVICE_FTP, 0, 0);
    ASSERT_NE(nullptr, connection);
    auto send = [connection](const std::wstring& command) {
        FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), 0, nullptr);
    };
    send(L"DELE missing");
    EXPECT_EQ(L"550 No such file or directory.", TakeServerReason());
    EXPECT_EQ(L"", TakeServerReason());
    // A reason left without a reply (SFTP) is told with its own error alone:
    // a later failure of another kind makes it stale.
    LeaveServerReason(ERROR_INTERNET_TIMEOUT, L"no answer\nfrom the server\x07");
    EXPECT_EQ(L"no answer\nfrom the server ", TakeServerReason());
    EXPECT_EQ(L"", TakeServerReason());
    LeaveServerReason(ERROR_INTERNET_TIMEOUT, L"stale");
    send(L"DELE missing");
    EXPECT_EQ(L"550 No such file or directory.", TakeServerReason());
    send(L"DELE missing");
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(L"", TakeServerReason());
    send(L"DELE missing");
    send(L"NOOP");
    EXPECT_EQ(L"", TakeServerReason());
    send(L"A\tB");
    EXPECT_EQ(L"500 Command \"A B\" not understood.", TakeServerReason());
    send(std::wstring(600, L'X'));
    EXPECT_EQ(L"500 Command \"XXX" + std::wstring(384, L'X') + L"\u2026", TakeServerReason());
    InternetCloseHandle(connection);
    InternetCloseHandle(session);
}
