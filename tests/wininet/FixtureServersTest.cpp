// The hostile and long-link fixture servers do what other tests rely on: each
// is checked with a bare control connection, so that a fault of the FTP layer
// cannot hide one of the fixture's.
#include <winsock2.h>

#include <gtest/gtest.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "support/FtpFixture.h"
#include "support/RestartableServer.h"
#include "support/ScratchFolder.h"

namespace {

// A control connection spoken by hand: one command, one whole reply.
class RawControl {
  public:
    RawControl() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~RawControl() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        WSACleanup();
    }
    // Connects and reads the greeting; false when refused.
    bool Open(const FixtureServer& server) {
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        DWORD bound = 30000;  // a bound for a dead server, never a speed
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&bound),
                   sizeof(bound));
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(server.port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
               Reply().rfind("220", 0) == 0;
    }
    bool Login(const FixtureServer& server) {
        std::string user(server.user.begin(), server.user.end());
        std::string password(server.password.begin(), server.password.end());
        return Command("USER " + user).rfind("331", 0) == 0 &&
               Command("PASS " + password).rfind("230", 0) == 0;
    }
    // The reply's last line; empty when the server closed the connection.
    std::string Command(const std::string& line) {
        std::string sent = line + "\r\n";
        send(socket_, sent.data(), static_cast<int>(sent.size()), 0);
        return Reply();
    }
    std::string Reply() {
        for (;;) {
            size_t end = pending_.find("\r\n");
            if (end != std::string::npos) {
                std::string reply = pending_.substr(0, end);
                pending_.erase(0, end + 2);
                if (reply.size() >= 4 && reply[3] == ' ') return reply;
                continue;  // a line of a multi-line reply
            }
            char block[512];
            int got = recv(socket_, block, sizeof(block), 0);
            if (got <= 0) return "";
            pending_.append(block, got);
        }
    }

  private:
    SOCKET socket_ = INVALID_SOCKET;
    std::string pending_;
};

double Milliseconds(LARGE_INTEGER from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(now.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// A whole download; false when any step fails.
bool Fetch(HINTERNET connection, const std::wstring& path, std::string& data) {
    HINTERNET file =
        FtpOpenFileW(connection, path.c_str(), GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    if (!file) return false;
    data.clear();
    char block[4096];
    DWORD read = 0;
    bool ok;
    while ((ok = InternetReadFile(file, block, sizeof(block), &read)) && read > 0)
        data.append(block, read);
    return InternetCloseHandle(file) && ok;
}

}  // namespace

// Each login of the dropper gets two answers and then an end of stream; the
// other closes right after the login. Both count per connection.
TEST(HostileFixtures, CloseTheConnectionWhereTheySay) {
    struct Case {
        Fixture which;
        std::vector<std::string> answered;  // commands after the login, answered
    } cases[] = {
        {Fixture::kDropEverySecond, {"NOOP", "PWD"}},
        {Fixture::kLoginThenClose, {}},
    };
    for (const Case& test : cases) {
        FixtureServer server;
        ASSERT_TRUE(server.Load(test.which)) << kFixtureMissing;
        for (int login = 0; login < 2; ++login) {
            SCOPED_TRACE(std::to_string(server.port) + ", login " + std::to_string(login));
            RawControl control;
            ASSERT_TRUE(control.Open(server));
            ASSERT_TRUE(control.Login(server));
            for (const std::string& command : test.answered)
                EXPECT_NE("", control.Command(command)) << command;
            EXPECT_EQ("", control.Command("NOOP"));
        }
    }
}

// A control connection left alone is told so with 421 and closed; one in use is not.
TEST(IdleFixture, ClosesAnIdleControlConnectionWith421) {
    FixtureServer server;
    ASSERT_TRUE(server.Load(Fixture::kIdle)) << kFixtureMissing;
    ASSERT_GT(FixtureIdleSeconds(), 0);
    RawControl control;
    ASSERT_TRUE(control.Open(server));
    ASSERT_TRUE(control.Login(server));
    for (int i = 0; i < 3; ++i) {
        Sleep(FixtureIdleSeconds() * 1000 / 2);
        EXPECT_EQ(0u, control.Command("NOOP").rfind("200", 0));
    }
    EXPECT_EQ(0u, control.Reply().rfind("421", 0));
    EXPECT_EQ("", control.Reply());
}

// Through the proxy a round trip takes at least twice the delay, and passive
// data connections reach the server behind it.
TEST(LongLinkFixture, DelaysEachRoundTripAndCarriesPassiveData) {
    FixtureServer server;
    ASSERT_TRUE(server.Load(Fixture::kLongLink)) << kFixtureMissing;
    ASSERT_GT(FixtureLongLinkDelayMs(), 0);
    RawControl control;
    ASSERT_TRUE(control.Open(server));
    ASSERT_TRUE(control.Login(server));
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    EXPECT_EQ(0u, control.Command("NOOP").rfind("200", 0));
    EXPECT_GE(Milliseconds(start), 2 * FixtureLongLinkDelayMs() * 0.95);

    std::wstring folder = TestFolderName();
    WriteBytes(WinePath(server.root) + L"\\" + folder + L"\\far.txt", "far away");
    HINTERNET session = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection =
        InternetConnectW(session, server.host.c_str(), server.port, server.user.c_str(),
                         server.password.c_str(), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    ASSERT_NE(nullptr, connection) << GetLastError();
    WIN32_FIND_DATAW found = {};
    HINTERNET find = FtpFindFirstFileW(connection, (L"/" + folder + L"/*").c_str(), &found,
                                       INTERNET_FLAG_NO_CACHE_WRITE, 0);
    ASSERT_NE(nullptr, find) << GetLastError();
    EXPECT_STREQ(L"far.txt", found.cFileName);
    EXPECT_EQ(8u, found.nFileSizeLow);
    InternetCloseHandle(find);
    InternetCloseHandle(connection);
    InternetCloseHandle(session);
}

// Stopped, the port refuses; started, the same port serves the same root. An
// armed restart ends the server right after the download it names.
TEST(RestartableFixture, ComesBackOnItsPortWithItsRoot) {
    RestartableServer restartable;
    ASSERT_TRUE(restartable.Load()) << kFixtureMissing;
    FixtureServer& server = restartable.server;
    std::wstring folder = TestFolderName();
    for (const wchar_t* name : {L"\\one", L"\\two"})
        WriteBytes(WinePath(server.root) + L"\\" + folder + name, "data");

    ASSERT_TRUE(restartable.Stop());
    EXPECT_FALSE(RawControl().Open(server));
    ASSERT_TRUE(restartable.Start());
    RawControl control;
    ASSERT_TRUE(control.Open(server));
    ASSERT_TRUE(control.Login(server));
    control.Command("TYPE I");
    EXPECT_EQ("213 4",
              control.Command("SIZE /" + std::string(folder.begin(), folder.end()) + "/one"));

    int generation = restartable.Generation(), downloads = restartable.Downloads();
    ASSERT_TRUE(restartable.RestartAfterDownloads(1));
    HINTERNET session = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection =
        InternetConnectW(session, server.host.c_str(), server.port, server.user.c_str(),
                         server.password.c_str(), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    ASSERT_NE(nullptr, connection) << GetLastError();
    std::string data;
    EXPECT_TRUE(Fetch(connection, L"/" + folder + L"/one", data));
    EXPECT_EQ("data", data);
    EXPECT_FALSE(Fetch(connection, L"/" + folder + L"/two", data));
    InternetCloseHandle(connection);
    InternetCloseHandle(session);
    EXPECT_TRUE(restartable.WaitUntilRunning(generation + 1));
    EXPECT_EQ(downloads + 1, restartable.Downloads());
    RawControl again;
    EXPECT_TRUE(again.Open(server));
}
