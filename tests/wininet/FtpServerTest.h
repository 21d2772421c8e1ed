#pragma once

#include <gtest/gtest.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "support/FtpFixture.h"

// Opens a session for each test and a passive connection to the fixture's main
// server, in a folder of the test's own under the server's root.
class FtpServerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Connects as the fixture's user to the given port (the main server when 0).
    HINTERNET Connect(DWORD flags = INTERNET_FLAG_PASSIVE, INTERNET_PORT port = 0);
    HINTERNET ConnectAs(LPCWSTR user, LPCWSTR password, INTERNET_PORT port = 0,
                        DWORD flags = INTERNET_FLAG_PASSIVE, LPCWSTR host = nullptr);
    // Makes the test's own folder on the server's disk and changes into it.
    void EnterOwnFolder(HINTERNET connection);
    std::wstring LocalPath(const std::wstring& name) const;
    // Every name FtpFindFirstFileW delivers for the pattern, with its find data, by name.
    std::vector<WIN32_FIND_DATAW> List(HINTERNET connection, LPCWSTR pattern = nullptr);

    FixtureServer server_;
    HINTERNET session_ = nullptr, connection_ = nullptr;
    std::wstring folder_;  // the test's folder, relative to the root
};

INTERNET_PORT PortFrom(const std::string& text);
std::vector<std::wstring> NamesOf(const std::vector<WIN32_FIND_DATAW>& entries);
// The error a call left when it failed, or NO_ERROR when it succeeded.
template <typename Result>
long FailureOf(Result result) {
    long error = static_cast<long>(GetLastError());
    return result ? NO_ERROR : error;
}

// How long a call took, in seconds.
template <typename Call>
double SecondsFor(Call call) {
    ULONGLONG start = GetTickCount64();
    call();
    return (GetTickCount64() - start) / 1000.0;
}

// A caller's block, smaller than a receive and not a power of two, so that
// reads and writes meet the layer's buffers at odd places.
constexpr DWORD kEngineBlock = 5120;
// Reads a remote file in blocks of the given size. Every read fills its block
// until the data ends, and the end is told by a read of zero bytes (again on
// the read after it), never by a short block alone.
bool Download(HINTERNET connection, LPCWSTR name, DWORD type, std::string& data,
              DWORD block = kEngineBlock);

// The code of the last reply the server sent to this thread's calls.
DWORD LastReplyCode();

// The layer's wait bounds cut to a second without progress (three for a whole
// reply) while it lives, so that tests of them take seconds.
struct ShortWaitBounds {
    ShortWaitBounds() { Set(1000); }
    ~ShortWaitBounds() { Set(10000); }
    static void Set(DWORD idleMs) {
        EXPECT_TRUE(
            InternetSetOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &idleMs, sizeof(idleMs)));
    }
};
