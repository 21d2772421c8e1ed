#include "support/FtpFixture.h"

#include <gtest/gtest.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <cstdlib>

#include "support/ScratchFolder.h"

bool FixtureVariable(const char* name, std::string& value) {
    const char* text = getenv(name);
    if (!text || !*text) return false;
    value = text;
    return true;
}

WORD FixturePort(const char* variable) {
    std::string port;
    if (FixtureVariable(variable, port)) return static_cast<WORD>(atoi(port.c_str()));
    ADD_FAILURE() << variable << " is not set: " << kFixtureMissing;
    return 0;
}

std::wstring Widen(const std::string& text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
    return wide;
}

namespace {

// Each server's port variable, in the order of Fixture.
// clang-format off
const char* const kPortVariables[] = {
    "CORVANE_FTP_PORT", "CORVANE_FTP_DROP_EVERY_SECOND_PORT", "CORVANE_FTP_LOGIN_THEN_CLOSE_PORT",
    "CORVANE_FTP_IDLE_PORT", "CORVANE_FTP_RESTARTABLE_PORT", "CORVANE_FTP_COUNTING_PORT",
    "CORVANE_FTP_TWO_LOGINS_PORT", "CORVANE_FTP_DROPS_EXTRA_LOGINS_PORT",
    "CORVANE_FTP_STALLS_EXTRA_LOGINS_PORT"};
// clang-format on

}  // namespace

bool FixtureServer::Load(Fixture which) {
    std::string text[4];
    const char* required[] = {"CORVANE_FTP_HOST", kPortVariables[static_cast<int>(which)],
                              "CORVANE_FTP_USER", "CORVANE_FTP_PASSWORD"};
    for (int i = 0; i < 4; ++i)
        if (!FixtureVariable(required[i], text[i])) return false;
    host = Widen(text[0]);
    port = static_cast<WORD>(atoi(text[1].c_str()));
    user = Widen(text[2]);
    password = Widen(text[3]);
    return FixtureVariable(
        which == Fixture::kRestartable ? "CORVANE_FTP_RESTARTABLE_ROOT" : "CORVANE_FTP_ROOT", root);
}

std::vector<LoggedCommand> CountingServerLog() {
    std::vector<LoggedCommand> commands;
    std::string path;
    FILE* log = FixtureVariable("CORVANE_FTP_COMMAND_LOG", path)
                    ? _wfopen(WinePath(path).c_str(), L"r")
                    : nullptr;
    char session[64], verb[64];
    int receive = 0;
    while (log && fscanf(log, "%63s %63s %d", session, verb, &receive) == 3)
        commands.push_back(LoggedCommand{verb, {session, receive}});
    if (log) fclose(log);
    return commands;
}

int FixtureIdleSeconds() {
    std::string text;
    return FixtureVariable("CORVANE_FTP_IDLE_SECONDS", text) ? atoi(text.c_str()) : 0;
}

std::wstring TestFolderName() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return Widen(std::string(test->test_suite_name()) + "." + test->name());
}

std::wstring WinePath(const std::string& linuxPath) {
    std::wstring path = L"Z:" + Widen(linuxPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

namespace {

// The next byte of a test file's sequence.
unsigned char NextTestByte(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return static_cast<unsigned char>(state >> 24);
}

}  // namespace

std::string TestBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (char& byte : bytes) byte = static_cast<char>(NextTestByte(state));
    return bytes;
}

bool WriteTestFile(const std::wstring& path, uint64_t size, unsigned seed) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    std::vector<unsigned char> block(1 << 16);
    uint32_t state = seed * 2654435761u + 1;
    bool ok = true;
    for (uint64_t left = size; ok && left > 0;) {
        size_t count = left < block.size() ? static_cast<size_t>(left) : block.size();
        for (size_t i = 0; i < count; ++i) block[i] = NextTestByte(state);
        ok = fwrite(block.data(), 1, count, file) == count;
        left -= count;
    }
    return fclose(file) == 0 && ok;
}

uint64_t BufferChecksum(const void* data, size_t size, uint64_t checksum) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) checksum = (checksum ^ bytes[i]) * 1099511628211ULL;
    return checksum;
}

uint64_t FileChecksum(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return 0;
    std::vector<unsigned char> block(1 << 16);
    uint64_t checksum = BufferChecksum(nullptr, 0);
    size_t count;
    while ((count = fread(block.data(), 1, block.size(), file)) > 0)
        checksum = BufferChecksum(block.data(), count, checksum);
    fclose(file);
    return checksum;
}

namespace {

// A file the fixture made beside its test authority's certificate; empty when missing.
std::string CertificateFile(const std::string& name) {
    std::string path;
    if (!FixtureVariable("CORVANE_FTPS_CA", path)) return "";
    return ReadBytes(WinePath(path.substr(0, path.rfind('/') + 1) + name));
}

}  // namespace

bool TrustTestAuthority() {
    std::string der = CertificateFile("ca.der");
    return !der.empty() &&
           CertAddEncodedCertificateToSystemStoreW(
               L"Root", reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()));
}

// As openssl prints it ("sha256 Fingerprint=AB:CD:..."), which is the FTP layer's form too.
std::wstring FixtureFingerprint(const char* name) {
    std::string text = CertificateFile(std::string(name) + ".sha256");
    size_t start = text.find('=') + 1, end = text.find_last_not_of("\r\n") + 1;
    return start && end > start ? Widen(text.substr(start, end - start)) : L"";
}

uint64_t FileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME date = {year, month, 0, day, hour, minute, 0, 0};
    FILETIME time = {};
    SystemTimeToFileTime(&date, &time);
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool SetFileFacts(const std::wstring& path, uint64_t fileTime, int64_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    FILETIME written = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    bool ok =
        (size < 0 || (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file))) &&
        SetFileTime(file, nullptr, nullptr, &written);
    return CloseHandle(file) && ok;
}
