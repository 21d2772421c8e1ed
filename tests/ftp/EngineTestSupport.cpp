#include "EngineTestSupport.h"

#include <winsock2.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ftp/FtpFS.h"

namespace fs = std::filesystem;

namespace {
std::wstring Variable(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

// Wine maps the Linux root to drive Z:.
std::wstring WinePath(const std::wstring& unixPath) {
    std::wstring path = L"Z:" + unixPath;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}
}  // namespace

bool TestFtpServer::Load() {
    host = Variable(L"CORVANE_FTP_HOST");
    user = Variable(L"CORVANE_FTP_USER");
    password = Variable(L"CORVANE_FTP_PASSWORD");
    root = WinePath(Variable(L"CORVANE_FTP_ROOT"));
    port = static_cast<INTERNET_PORT>(_wtoi(Variable(L"CORVANE_FTP_PORT").c_str()));
    return !host.empty() && port != 0 && root.size() > 2;
}

ServerFolder TestFtpServer::MakeFolder(const std::string& testName) {
    std::wstring name = L"engine-" + std::wstring(testName.begin(), testName.end());
    ServerFolder folder{root + L"\\" + name, L"/" + name};
    fs::remove_all(folder.local);
    fs::create_directories(folder.local);
    return folder;
}

void TestFtpServer::MakeFolder(const ServerFolder& folder, const std::wstring& relative) {
    fs::create_directories(LocalPath(folder, relative));
}

void TestFtpServer::WriteFile(const ServerFolder& folder, const std::wstring& relative,
                              size_t size) {
    std::ofstream file(fs::path(LocalPath(folder, relative)), std::ios::binary);
    std::string block(size, 'x');
    file.write(block.data(), static_cast<std::streamsize>(block.size()));
}

bool TestFtpServer::Exists(const ServerFolder& folder, const std::wstring& relative) const {
    return fs::exists(fs::path(LocalPath(folder, relative)));
}

bool TestFtpServer::IsFolder(const ServerFolder& folder, const std::wstring& relative) const {
    return fs::is_directory(fs::path(LocalPath(folder, relative)));
}

std::wstring TestFtpServer::LocalPath(const ServerFolder& folder,
                                      const std::wstring& relative) const {
    return folder.local + L"\\" + relative;
}

std::vector<std::wstring> ListNames(FtpFS& engine) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    if (engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE) != S_OK) return names;
    do names.push_back(data.cFileName);
    while (engine.FindNext(&data) == S_OK);
    return names;
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
    for (const std::wstring& candidate : names)
        if (candidate == name) return true;
    return false;
}

bool IsInOrder(const std::vector<DWORD>& seen, const std::vector<DWORD>& expected) {
    size_t next = 0;
    for (DWORD code : seen)
        if (next < expected.size() && code == expected[next]) ++next;
    return next == expected.size();
}

INTERNET_PORT UnusedLocalPort() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    return ntohs(address.sin_port);
}

namespace {
std::wstring capturedText;

BOOL CALLBACK ReadStaticText(HWND child, LPARAM) {
    wchar_t className[32], text[512];
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") == 0 && GetWindowTextW(child, text, 512) > 0)
        capturedText = text;
    return TRUE;
}

BOOL CALLBACK CloseMessageBox(HWND window, LPARAM) {
    wchar_t className[32];
    GetClassNameW(window, className, 32);
    if (wcscmp(className, L"#32770") != 0) return TRUE;
    EnumChildWindows(window, ReadStaticText, 0);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK PollForMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, 0);
}
}  // namespace

std::wstring CaptureMessageBox(const std::function<void()>& action) {
    capturedText.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, PollForMessageBox);
    action();
    KillTimer(nullptr, timer);
    return capturedText;
}

StatusRecorder::StatusRecorder() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"StatusRecorder";
    RegisterClassW(&windowClass);
    window = CreateWindowW(L"StatusRecorder", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

StatusRecorder::~StatusRecorder() { DestroyWindow(window); }

LRESULT CALLBACK StatusRecorder::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* recorder = reinterpret_cast<StatusRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (recorder && message == WM_FTP_CONNECT_STATUS) {
        auto* report = reinterpret_cast<StatusReport*>(lParam);
        if (report && report->statusCode == wParam) recorder->codes.push_back(report->statusCode);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
