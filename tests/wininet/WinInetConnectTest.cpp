#include <functional>
#include <optional>
#include <thread>

#include "FtpServerTest.h"

namespace {

struct StatusLog {
    DWORD threadId = GetCurrentThreadId();
    std::vector<DWORD> statuses;
    bool wrongThread = false;
};

void CALLBACK RecordStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    StatusLog* log = reinterpret_cast<StatusLog*>(context);
    if (log->threadId != GetCurrentThreadId()) log->wrongThread = true;
    log->statuses.push_back(status);
}

// A generous bound beside the short wait bounds: it tells a bounded wait from one that never ends.
constexpr double kBoundedSeconds = 5;

}  // namespace

class FtpConnect : public FtpServerTest {};

TEST_F(FtpConnect, LogsInOverIpv4AndIpv6ReportingStatusesInOrderOnTheCallingThread) {
    const INTERNET_PORT port6 = FixturePort("CORVANE_FTP_PORT6");
    ASSERT_TRUE(WriteTestFile(LocalPath(L"only file"), 6, 6));
    InternetSetStatusCallbackW(session_, RecordStatus);
    const std::vector<DWORD> expected = {
        INTERNET_STATUS_HANDLE_CREATED, INTERNET_STATUS_RESOLVING_NAME,
        INTERNET_STATUS_NAME_RESOLVED, INTERNET_STATUS_CONNECTING_TO_SERVER,
        INTERNET_STATUS_CONNECTED_TO_SERVER};
    const std::pair<LPCWSTR, INTERNET_PORT> servers[] = {
        {server_.host.c_str(), server_.port}, {L"::1", port6}, {L"[::1]", port6}};
    for (const auto& server : servers) {
        for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
            StatusLog log;
            HINTERNET connection =
                InternetConnectW(session_, server.first, server.second, server_.user.c_str(),
                                 server_.password.c_str(), INTERNET_SERVICE_FTP, flags,
                                 reinterpret_cast<DWORD_PTR>(&log));
            ASSERT_NE(nullptr, connection) << GetLastError();
            InternetSetStatusCallbackW(connection, nullptr);
            EXPECT_FALSE(log.wrongThread);
            EXPECT_EQ(expected, log.statuses);
            EnterOwnFolder(connection);
            EXPECT_EQ(std::vector<std::wstring>{L"only file"}, NamesOf(List(connection)));
            InternetCloseHandle(connection);
        }
    }
}

// A refused password, with the server's reply, runs through ConnectTest's logins.
TEST_F(FtpConnect, EachFailureReturnsPromptlyWithItsOwnError) {
    REQUIRE_FIXTURE_VARIABLE(silentPort, "CORVANE_FTP_SILENT_PORT");
    struct {
        LPCWSTR host;
        INTERNET_PORT port;
        long error;
    } failures[] = {
        {nullptr, 1, ERROR_INTERNET_CANNOT_CONNECT},  // nothing listens on port 1
        {L"no-such-host.invalid", 0, ERROR_INTERNET_NAME_NOT_RESOLVED},
        {nullptr, PortFrom(silentPort), ERROR_INTERNET_TIMEOUT},  // never greets
    };
    for (const auto& failure : failures) {
        // The server that never greets is not kept waiting for the full bound.
        std::optional<ShortWaitBounds> bounds;
        if (failure.port == PortFrom(silentPort)) bounds.emplace();
        long error = NO_ERROR;
        double seconds = SecondsFor([&] {
            error = FailureOf(ConnectAs(server_.user.c_str(), nullptr, failure.port,
                                        INTERNET_FLAG_PASSIVE, failure.host));
        });
        EXPECT_EQ(failure.error, error);
        EXPECT_LT(seconds, kBoundedSeconds) << failure.error;
    }
}

TEST_F(FtpConnect, RepliesAreBoundedPerWaitAndInAll) {
    REQUIRE_FIXTURE_VARIABLE(muteUser, "CORVANE_FTP_MUTE_USER");
    ShortWaitBounds bounds;
    // A server that falls silent fails at the idle bound; one that drips its
    // reply a byte at a time, never idle for long, at the bound of a whole reply.
    struct {
        HINTERNET connection;
        double atLeast, atMost;
    } servers[] = {
        {ConnectAs(Widen(muteUser).c_str(), server_.password.c_str()), 0.5, 2.5},
        {Connect(INTERNET_FLAG_PASSIVE, FixturePort("CORVANE_FTP_DRIPPING_PORT")), 2.5, 6}};
    for (const auto& server : servers) {
        ASSERT_NE(nullptr, server.connection) << GetLastError();
        wchar_t path[512];
        DWORD length = 512;
        long error = NO_ERROR;
        double seconds = SecondsFor(
            [&] { error = FailureOf(FtpGetCurrentDirectoryW(server.connection, path, &length)); });
        EXPECT_EQ(ERROR_INTERNET_TIMEOUT, error);
        EXPECT_GT(seconds, server.atLeast);
        EXPECT_LT(seconds, server.atMost);
        // A late reply could be taken for the answer to the next command: the connection stays
        // failed.
        EXPECT_EQ(ERROR_FTP_DROPPED, FailureOf(FtpSetCurrentDirectoryW(server.connection, L"/")));
        InternetCloseHandle(server.connection);
    }
}

// A listing whose data never comes and a TLS handshake never answered:
// closing the handle (the session, for the handshake) from another thread
// releases the blocked call at once, and it says so, whatever the close then
// waits for. (A download that never comes: FtpCancel's closes; a reply: the
// download worker's cancel on the dripping server.)
TEST_F(FtpConnect, ACloseFromAnotherThreadReleasesABlockedCallAtOnce) {
    const INTERNET_PORT stalling = FixturePort("CORVANE_FTPS_STALLING_PORT");
    const DWORD tls = INTERNET_FLAG_PASSIVE | INTERNET_FLAG_FTP_TLS_REQUIRED;
    HINTERNET listing = Connect(INTERNET_FLAG_PASSIVE, FixturePort("CORVANE_FTP_HOSTILE_PORT"));
    ASSERT_TRUE(listing) << GetLastError();
    WIN32_FIND_DATAW data;
    const std::pair<HINTERNET, std::function<BOOL()>> blocked[] = {
        {listing, [&] { return FtpFindFirstFileW(listing, L"stalled/*", &data, 0, 1) != nullptr; }},
        {session_, [&] { return Connect(tls, stalling) != nullptr; }}};
    for (const auto& [handle, call] : blocked) {
        long error = NO_ERROR;
        ULONGLONG releasedAt = 0;
        std::thread caller([&, call = call] {
            error = FailureOf(call());
            releasedAt = GetTickCount64();
        });
        Sleep(300);
        ULONGLONG closedAt = GetTickCount64();
        InternetCloseHandle(handle);
        caller.join();
        EXPECT_EQ(ERROR_INTERNET_OPERATION_CANCELLED, error);
        EXPECT_LT(releasedAt - closedAt, 1000u);
    }
    session_ = connection_ = nullptr;  // closed with the session
}

TEST_F(FtpConnect, HandlesAreCheckedOnEveryCall) {
    HINTERNET connection = connection_;
    connection_ = nullptr;  // closed with the session below
    char buffer[16];
    DWORD count = 0;
    HINTERNET forged = reinterpret_cast<HINTERNET>(static_cast<uintptr_t>(0x1234));
    EXPECT_EQ(ERROR_INVALID_HANDLE, FailureOf(InternetReadFile(forged, buffer, 16, &count)));
    EXPECT_EQ(ERROR_INTERNET_INCORRECT_HANDLE_TYPE,
              FailureOf(InternetReadFile(connection, buffer, 16, &count)));
    EXPECT_EQ(ERROR_INTERNET_INCORRECT_HANDLE_TYPE,
              FailureOf(FtpSetCurrentDirectoryW(session_, L"/")));
    // Closing the session closes what was opened under it.
    EXPECT_TRUE(InternetCloseHandle(session_));
    session_ = nullptr;
    EXPECT_EQ(ERROR_INVALID_HANDLE, FailureOf(FtpSetCurrentDirectoryW(connection, L"/")));
    EXPECT_EQ(ERROR_INVALID_HANDLE, FailureOf(InternetCloseHandle(connection)));
}
