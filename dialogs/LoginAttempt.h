#pragma once

#include <windows.h>

#include "resources/AppMessages.h"
#include <wininet.h>

#include <atomic>
#include <memory>
#include <string>

#include "ftp/RemoteFS.h"

// One login on a thread of its own, with an engine of its own. The attempt
// posts WM_APP_LOGGED_IN or WM_APP_LOGIN_FAILED to its notify window and sends the engine's
// connect statuses there. Its caller may give it up at any moment: from then
// on it posts nothing, and it frees itself when its thread ends by itself
// (every wait of the FTP layer is bounded). Nothing is ever killed.
class LoginAttempt {
  public:
    // Logs the engine in, which the attempt then owns; null when the thread
    // could not be started.
    static LoginAttempt* Start(HWND notifyWindow, std::unique_ptr<RemoteFS> engine,
                               const wchar_t* host, const wchar_t* user, const wchar_t* password,
                               INTERNET_PORT port);

    // The logged-in engine, once WM_APP_LOGGED_IN has arrived and until Abandon.
    RemoteFS& Engine() { return *engine; }
    // A result message alone proves nothing (anyone may post one): only a
    // login that really ended counts.
    bool LoggedIn() const { return loggedIn; }
    // Why the server refused the login, once it has failed; empty when it said nothing.
    std::wstring FailureReason() const { return failed ? failureReason : std::wstring(); }
    // The caller's last use of the attempt.
    void Abandon();

  private:
    LoginAttempt(HWND notifyWindow, std::unique_ptr<RemoteFS> engine, const wchar_t* host,
                 const wchar_t* user, const wchar_t* password, INTERNET_PORT port);
    ~LoginAttempt();
    static DWORD WINAPI Work(LPVOID parameter);
    void Release();

    const std::unique_ptr<RemoteFS> engine;
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
