#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <string>

#include "ftp/FtpFS.h"

// One login on a thread of its own, with an engine of its own. The attempt
// posts kLoggedIn or kFailed to its notify window and sends the engine's
// connect statuses there. Its caller may give it up at any moment: from then
// on it posts nothing, and it frees itself when its thread ends by itself
// (every wait of the FTP layer is bounded). Nothing is ever killed.
class LoginAttempt {
  public:
    static const UINT kLoggedIn = WM_USER + 1;
    static const UINT kFailed = WM_USER + 2;

    // Null when the thread could not be started.
    static LoginAttempt* Start(HWND notifyWindow, const wchar_t* host, const wchar_t* user,
                               const wchar_t* password, INTERNET_PORT port, DWORD encryption);

    // The logged-in engine, once kLoggedIn has arrived and until Abandon.
    FtpFS& Engine() { return engine; }
    // The result messages share their numbers with dialog-manager messages;
    // only a login that really ended counts.
    bool LoggedIn() const { return loggedIn; }
    // Why the server refused the login, once it has failed; empty when it said nothing.
    std::wstring FailureReason() const { return failed ? failureReason : std::wstring(); }
    // The caller's last use of the attempt.
    void Abandon();

  private:
    LoginAttempt(HWND notifyWindow, const wchar_t* host, const wchar_t* user,
                 const wchar_t* password, INTERNET_PORT port);
    ~LoginAttempt();
    static DWORD WINAPI Work(LPVOID parameter);
    void Release();

    FtpFS engine;
    const HWND notifyWindow;
    const std::wstring host, user, password;
    const INTERNET_PORT port;
    std::atomic<bool> abandoned;
    std::atomic<bool> loggedIn;
    // The reason is taken on the login's thread, where the server's reply is kept.
    std::wstring failureReason;
    std::atomic<bool> failed;
    std::atomic<int> holders;
};
