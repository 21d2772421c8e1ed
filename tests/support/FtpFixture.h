#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Helpers for tests that use the FTP servers of tests/fixtures/start_servers.sh.

// The value of an environment variable the fixture exports; false when unset.
bool FixtureVariable(const char* name, std::string& value);

// Why a test fails when the fixture's servers are missing: a test never passes
// for want of its server.
constexpr const char* kFixtureMissing =
    "the FTP fixture is not running: run the tests through scripts/test.sh, which starts the "
    "FTP servers";

// The port the fixture exported under the variable; fails the test (and gives 0) when it did not.
WORD FixturePort(const char* variable);

// Declares `var` from the named variable, or fails the test when the fixture did not set it.
#define REQUIRE_FIXTURE_VARIABLE(var, name) \
    std::string var;                        \
    ASSERT_TRUE(FixtureVariable(name, var)) << name << " is not set: " << kFixtureMissing

std::wstring Widen(const std::string& text);

// The fixture's pyftpdlib servers that take the main server's login
// (tests/fixtures/ftp_servers.py says how each behaves).
enum class Fixture {
    kMain,
    kDropEverySecond,    // closes the connection after every second answer of a login
    kLoginThenClose,     // accepts the password, then closes
    kIdle,               // closes a control connection idle for FixtureIdleSeconds()
    kRestartable,        // restarted through RestartableServer, a root of its own
    kCounting,           // logs every command it takes (CORVANE_FTP_COMMAND_LOG)
    kTwoLogins,          // refuses a user's third session at once (530)
    kDropsExtraLogins,   // hangs up on a user's further sessions when they ask for a file
    kStallsExtraLogins,  // never answers the password of a user's further sessions
};

// A fixture server as the start script exported it.
struct FixtureServer {
    std::wstring host, user, password;
    std::string root;  // its folder on the Linux side
    WORD port = 0;
    bool Load(Fixture which = Fixture::kMain);  // false when the fixture is not running
};

// A command the counting server logged: the receive of its session that
// brought it tells which commands the client sent together.
struct LoggedCommand {
    std::string verb;
    std::pair<std::string, int> receive;  // the session, the receive's number
};
// Every command the counting server logged so far, in order; none without the fixture.
std::vector<LoggedCommand> CountingServerLog();

// How long the idle server lets a control connection rest; 0 without the fixture.
int FixtureIdleSeconds();

// A name of the running test's own, for its folder on the server.
std::wstring TestFolderName();

// A Linux path as Wine's Z: drive shows it.
std::wstring WinePath(const std::string& linuxPath);

// Writes a file of the given size whose bytes depend on the seed, making its folders.
bool WriteTestFile(const std::wstring& path, uint64_t size, unsigned seed);
// The bytes of such a file.
std::string TestBytes(size_t size, unsigned seed);

// The file time of a UTC date and time.
uint64_t FileTimeOf(WORD year, WORD month, WORD day, WORD hour = 12, WORD minute = 30);

// Creates the file if missing and sets its last-write time; with a size, its
// length too (sparse: no bytes are written).
bool SetFileFacts(const std::wstring& path, uint64_t fileTime, int64_t size = -1);

// FNV-1a over a file's bytes; 0 when the file cannot be read.
uint64_t FileChecksum(const std::wstring& path);
uint64_t BufferChecksum(const void* data, size_t size, uint64_t checksum = 14695981039346656037ULL);

// Adds the fixture's test authority (CORVANE_FTPS_CA) to the Wine prefix's root
// store, so certificates it issued are trusted as a public authority's would be.
bool TrustTestAuthority();
// The SHA-256 fingerprint, as the FTP layer shows it, of a fixture certificate
// ("selfsigned"); empty without the fixture.
std::wstring FixtureFingerprint(const char* name);
