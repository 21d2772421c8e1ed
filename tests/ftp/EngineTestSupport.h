#pragma once

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <vector>

class FtpFS;

// A folder of the test server's root, seen both ways.
struct ServerFolder {
    std::wstring local;   // through Wine's drive mapping
    std::wstring remote;  // as the FTP client names it
};

// The FTP server that the test script started on 127.0.0.1.
struct TestFtpServer {
    std::wstring host, user, password, root;
    INTERNET_PORT port = 0;

    bool Load();
    ServerFolder MakeFolder(const std::string& testName);
    void MakeFolder(const ServerFolder& folder, const std::wstring& relative);
    void WriteFile(const ServerFolder& folder, const std::wstring& relative, size_t size);
    bool Exists(const ServerFolder& folder, const std::wstring& relative) const;
    bool IsFolder(const ServerFolder& folder, const std::wstring& relative) const;
    std::wstring LocalPath(const ServerFolder& folder, const std::wstring& relative) const;
};

std::vector<std::wstring> ListNames(FtpFS& engine);
bool Contains(const std::vector<std::wstring>& names, const std::wstring& name);
bool IsInOrder(const std::vector<DWORD>& seen, const std::vector<DWORD>& expected);
INTERNET_PORT UnusedLocalPort();

// Runs action, closes the message box it shows, and returns the box's text.
std::wstring CaptureMessageBox(const std::function<void()>& action);

// A window of the test thread that records the connect statuses it receives.
class StatusRecorder {
  public:
    StatusRecorder();
    ~StatusRecorder();
    HWND Window() const { return window; }
    std::vector<DWORD> codes;

  private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    HWND window;
};
