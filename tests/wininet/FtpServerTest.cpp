#include "FtpServerTest.h"

#include <algorithm>

INTERNET_PORT PortFrom(const std::string& text) {
    return static_cast<INTERNET_PORT>(atoi(text.c_str()));
}

std::vector<std::wstring> NamesOf(const std::vector<WIN32_FIND_DATAW>& entries) {
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& entry : entries) names.push_back(entry.cFileName);
    return names;
}

bool Download(HINTERNET connection, LPCWSTR name, DWORD type, std::string& data, DWORD block) {
    HINTERNET file = FtpOpenFileW(connection, name, GENERIC_READ, type, 1);
    if (!file) return false;
    std::vector<char> buffer(block);
    DWORD read = 0;
    bool ok, shortBlock = false;
    for (data.clear(); (ok = InternetReadFile(file, buffer.data(), block, &read)) && read > 0;) {
        EXPECT_FALSE(shortBlock) << "a short block came before the end, at " << data.size();
        shortBlock = read < block;
        data.append(buffer.data(), read);
    }
    EXPECT_TRUE(!ok || (InternetReadFile(file, buffer.data(), block, &read) && read == 0));
    return InternetCloseHandle(file) && ok;
}

DWORD LastReplyCode() {
    DWORD code = 0, size = 256;
    wchar_t reply[256];
    return InternetGetLastResponseInfoW(&code, reply, &size) ? code : 0;
}

void FtpServerTest::SetUp() {
    ASSERT_TRUE(server_.Load()) << kFixtureMissing;
    session_ = InternetOpenW(L"FtpFS", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    ASSERT_NE(nullptr, session_);
    folder_ = TestFolderName();
    connection_ = Connect();
    ASSERT_NE(nullptr, connection_) << GetLastError();
    EnterOwnFolder(connection_);
}

void FtpServerTest::TearDown() {
    if (connection_) InternetCloseHandle(connection_);
    if (session_) InternetCloseHandle(session_);
}

HINTERNET FtpServerTest::Connect(DWORD flags, INTERNET_PORT port) {
    return ConnectAs(server_.user.c_str(), server_.password.c_str(), port, flags);
}

HINTERNET FtpServerTest::ConnectAs(LPCWSTR user, LPCWSTR password, INTERNET_PORT port, DWORD flags,
                                   LPCWSTR host) {
    return InternetConnectW(session_, host ? host : server_.host.c_str(),
                            port ? port : server_.port, user, password, INTERNET_SERVICE_FTP, flags,
                            1);
}

std::wstring FtpServerTest::LocalPath(const std::wstring& name) const {
    return WinePath(server_.root) + L"\\" + folder_ + (name.empty() ? L"" : L"\\" + name);
}

void FtpServerTest::EnterOwnFolder(HINTERNET connection) {
    CreateDirectoryW(LocalPath(L"").c_str(), nullptr);
    ASSERT_TRUE(FtpSetCurrentDirectoryW(connection, (L"/" + folder_).c_str()));
}

std::vector<WIN32_FIND_DATAW> FtpServerTest::List(HINTERNET connection, LPCWSTR pattern) {
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW data;
    HINTERNET find = FtpFindFirstFileW(connection, pattern, &data, INTERNET_FLAG_NO_CACHE_WRITE, 1);
    if (!find) return entries;
    do entries.push_back(data);
    while (InternetFindNextFileW(find, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    InternetCloseHandle(find);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return wcscmp(a.cFileName, b.cFileName) < 0; });
    return entries;
}
