#include <thread>
#include <vector>

#include "FtpServerTest.h"

namespace {

struct StatusLog {
    DWORD threadId = 0;
    std::vector<DWORD> statuses;
    bool wrongContextOrThread = false;
};

void CALLBACK RecordStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    StatusLog* log = reinterpret_cast<StatusLog*>(context);
    if (log->threadId != GetCurrentThreadId()) log->wrongContextOrThread = true;
    log->statuses.push_back(status);
}

// How long a failing call took, in seconds.
template <typename Call>
double SecondsFor(Call call) {
    ULONGLONG start = GetTickCount64();
    call();
    return (GetTickCount64() - start) / 1000.0;
}

// A generous bound: it tells a bounded wait from one that never ends.
constexpr double kBoundedSeconds = 30;

}  // namespace

class FtpConnect : public FtpServerTest {};

TEST_F(FtpConnect, LogsInAndReportsStatusesInOrderOnTheCallingThread) {
    StatusLog log;
    log.threadId = GetCurrentThreadId();
    InternetSetStatusCallbackW(session_, RecordStatus);
    HINTERNET connection = InternetConnectW(
        session_, Widen(host_).c_str(), port_, Widen(user_).c_str(), Widen(password_).c_str(),
        INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, reinterpret_cast<DWORD_PTR>(&log));
    ASSERT_NE(nullptr, connection) << GetLastError();
    EXPECT_FALSE(log.wrongContextOrThread);
    std::vector<DWORD> expected = {INTERNET_STATUS_RESOLVING_NAME, INTERNET_STATUS_NAME_RESOLVED,
                                   INTERNET_STATUS_CONNECTING_TO_SERVER,
                                   INTERNET_STATUS_CONNECTED_TO_SERVER};
    EXPECT_EQ(expected, log.statuses);

    // The connection inherited the callback; clearing it silences later calls.
    InternetSetStatusCallbackW(connection, nullptr);
    log.statuses.clear();
    wchar_t path[512];
    DWORD length = 512;
    ASSERT_TRUE(FtpGetCurrentDirectoryW(connection, path, &length));
    EXPECT_STREQ(L"/", path);
    EXPECT_EQ(1u, length);
    EXPECT_TRUE(log.statuses.empty());
    EXPECT_TRUE(InternetCloseHandle(connection));
}

TEST_F(FtpConnect, FailuresReturnPromptlyWithTheirOwnErrors) {
    HINTERNET connection = nullptr;
    double seconds =
        SecondsFor([&] { connection = ConnectAs(Widen(user_).c_str(), L"wrong password"); });
    EXPECT_EQ(nullptr, connection);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_LOGIN_FAILURE), GetLastError());
    DWORD code = 0, size = 256;
    wchar_t reply[256];
    ASSERT_TRUE(InternetGetLastResponseInfoW(&code, reply, &size));
    EXPECT_EQ(530u, code);
    EXPECT_EQ(0, wcsncmp(reply, L"530", 3));
    EXPECT_LT(seconds, kBoundedSeconds);

    // Nothing listens on port 1 of the loopback.
    connection = ConnectAs(nullptr, nullptr, 1);
    EXPECT_EQ(nullptr, connection);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT), GetLastError());

    connection = InternetConnectW(session_, L"no-such-host.invalid", port_, nullptr, nullptr,
                                  INTERNET_SERVICE_FTP, 0, 1);
    EXPECT_EQ(nullptr, connection);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_NAME_NOT_RESOLVED), GetLastError());
}

TEST_F(FtpConnect, ServerThatNeverGreetsTimesOut) {
    REQUIRE_FIXTURE_VARIABLE(silentPort, "CORVANE_FTP_SILENT_PORT");
    HINTERNET connection = nullptr;
    double seconds =
        SecondsFor([&] { connection = ConnectAs(nullptr, nullptr, PortFrom(silentPort)); });
    EXPECT_EQ(nullptr, connection);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_TIMEOUT), GetLastError());
    EXPECT_LT(seconds, kBoundedSeconds);
}

TEST_F(FtpConnect, ServerThatFallsSilentAfterLoginTimesOutThenStaysFailed) {
    REQUIRE_FIXTURE_VARIABLE(muteUser, "CORVANE_FTP_MUTE_USER");
    HINTERNET connection = ConnectAs(Widen(muteUser).c_str(), Widen(password_).c_str());
    ASSERT_NE(nullptr, connection) << GetLastError();
    wchar_t path[512];
    DWORD length = 512;
    double seconds =
        SecondsFor([&] { EXPECT_FALSE(FtpGetCurrentDirectoryW(connection, path, &length)); });
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_TIMEOUT), GetLastError());
    EXPECT_LT(seconds, kBoundedSeconds);
    // A late reply could be taken for the answer to the next command: the connection stays failed.
    EXPECT_FALSE(FtpSetCurrentDirectoryW(connection, L"/"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FTP_DROPPED), GetLastError());
    InternetCloseHandle(connection);
}

TEST_F(FtpConnect, CloseFromAnotherThreadReleasesABlockedCall) {
    REQUIRE_FIXTURE_VARIABLE(muteUser, "CORVANE_FTP_MUTE_USER");
    HINTERNET connection = ConnectAs(Widen(muteUser).c_str(), Widen(password_).c_str());
    ASSERT_NE(nullptr, connection) << GetLastError();
    DWORD error = 0;
    std::thread blocked([&] {
        if (!FtpSetCurrentDirectoryW(connection, L"/")) error = GetLastError();
    });
    Sleep(300);
    double seconds = SecondsFor([&] {
        EXPECT_TRUE(InternetCloseHandle(connection));
        blocked.join();
    });
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED), error);
    EXPECT_LT(seconds, 5.0);
}

TEST_F(FtpConnect, Ipv6LoopbackInBothDataModes) {
    REQUIRE_FIXTURE_VARIABLE(port6, "CORVANE_FTP_PORT6");
    CreateDirectoryW(LocalPath(L"").c_str(), nullptr);
    ASSERT_TRUE(WriteTestFile(LocalPath(L"over six"), 6, 6));
    for (const wchar_t* host : {L"::1", L"[::1]"}) {
        for (DWORD flags : {DWORD(INTERNET_FLAG_PASSIVE), DWORD(0)}) {
            HINTERNET connection =
                InternetConnectW(session_, host, PortFrom(port6), Widen(user_).c_str(),
                                 Widen(password_).c_str(), INTERNET_SERVICE_FTP, flags, 1);
            ASSERT_NE(nullptr, connection) << GetLastError();
            EnterOwnFolder(connection);
            EXPECT_EQ(std::vector<std::wstring>{L"over six"}, NamesOf(List(connection)));
            InternetCloseHandle(connection);
        }
    }
}

TEST_F(FtpConnect, HandlesAreCheckedOnEveryCall) {
    HINTERNET connection = Connect();
    ASSERT_NE(nullptr, connection) << GetLastError();
    char buffer[16];
    DWORD count = 0;
    HINTERNET forged = reinterpret_cast<HINTERNET>(static_cast<uintptr_t>(0x1234));
    EXPECT_FALSE(InternetReadFile(forged, buffer, sizeof(buffer), &count));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(InternetReadFile(connection, buffer, sizeof(buffer), &count));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_TYPE), GetLastError());
    EXPECT_FALSE(FtpSetCurrentDirectoryW(session_, L"/"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_TYPE), GetLastError());

    // Closing the session closes what was opened under it.
    EXPECT_TRUE(InternetCloseHandle(session_));
    session_ = nullptr;
    EXPECT_FALSE(FtpSetCurrentDirectoryW(connection, L"/"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(InternetCloseHandle(connection));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}
