#include <functional>

#include "FtpServerTest.h"

class FtpDrop : public FtpServerTest {};

namespace {

// What the engine takes for a connection the server closed.
bool MeansLost(long error) {
    return error == ERROR_FTP_DROPPED || error == ERROR_INTERNET_CONNECTION_ABORTED ||
           error == ERROR_INTERNET_CONNECTION_RESET;
}

// Beside the ten-second wait bound: it tells an answer at once from a wait.
constexpr double kAtOnceSeconds = 5;

}  // namespace

// A control connection the server closed (plainly, after a 421, with a reset;
// in the clear and under TLS) is found out at its next use, whatever that is:
// it fails at once with a code of a lost connection, and so does every later
// call on the handle.
TEST_F(FtpDrop, AConnectionTheServerClosedFailsAtOnceAsLost) {
    ASSERT_TRUE(TrustTestAuthority());
    ASSERT_TRUE(WriteTestFile(LocalPath(L"file"), 1000, 1));
    WIN32_FIND_DATAW data;
    const std::function<bool(HINTERNET)> uses[] = {
        [&](HINTERNET c) { return FtpSetCurrentDirectoryW(c, L"/") != FALSE; },
        [&](HINTERNET c) { return FtpFindFirstFileW(c, nullptr, &data, 0, 1) != nullptr; },
        [&](HINTERNET c) { return FtpOpenFileW(c, L"file", GENERIC_READ, 2, 1) != nullptr; },
        [&](HINTERNET c) { return FtpCreateDirectoryW(c, L"made") != FALSE; }};
    for (bool tls : {false, true}) {
        for (LPCWSTR how : {L"drop-close", L"drop-421", L"drop-reset"}) {
            for (const auto& use : uses) {
                SCOPED_TRACE(std::wstring(tls ? L"TLS, " : L"plain, ") + how);
                HINTERNET connection =
                    tls ? ConnectAs(server_.user.c_str(), server_.password.c_str(),
                                    FixturePort("CORVANE_FTPS_HANGING_UP_PORT"),
                                    INTERNET_FLAG_PASSIVE | INTERNET_FLAG_FTP_TLS_REQUIRED,
                                    L"localhost")
                        : Connect(INTERNET_FLAG_PASSIVE,
                                  FixturePort("CORVANE_FTP_HANGING_UP_PORT"));
                ASSERT_NE(nullptr, connection) << GetLastError();
                EnterOwnFolder(connection);
                ASSERT_TRUE(FtpSetCurrentDirectoryW(connection, how));
                long first = NO_ERROR, later = NO_ERROR;
                double seconds = SecondsFor([&] {
                    first = FailureOf(use(connection));
                    later = FailureOf(uses[0](connection));
                });
                EXPECT_TRUE(MeansLost(first)) << first;
                EXPECT_TRUE(MeansLost(later)) << later;
                EXPECT_LT(seconds, kAtOnceSeconds);
                InternetCloseHandle(connection);
            }
        }
    }
}
