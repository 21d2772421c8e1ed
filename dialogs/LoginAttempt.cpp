#include "dialogs/LoginAttempt.h"

#include "ftp/ServerReason.h"

LoginAttempt::LoginAttempt(HWND notifyWindow, std::unique_ptr<RemoteFS> loginEngine,
                           const wchar_t* host, const wchar_t* user, const wchar_t* password,
                           INTERNET_PORT port)
    : engine(std::move(loginEngine)),
      notifyWindow(notifyWindow),
      host(host ? host : L""),
      user(user ? user : L""),
      password(password ? password : L""),
      port(port),
      abandoned(false),
      loggedIn(false),
      failed(false),
      holders(2) {}

LoginAttempt::~LoginAttempt() {}

LoginAttempt* LoginAttempt::Start(HWND notifyWindow, std::unique_ptr<RemoteFS> engine,
                                  const wchar_t* host, const wchar_t* user, const wchar_t* password,
                                  INTERNET_PORT port) {
    LoginAttempt* attempt =
        new LoginAttempt(notifyWindow, std::move(engine), host, user, password, port);
    HANDLE thread = CreateThread(nullptr, 0, Work, attempt, 0, nullptr);
    if (!thread) {
        delete attempt;
        return nullptr;
    }
    CloseHandle(thread);
    return attempt;
}

DWORD WINAPI LoginAttempt::Work(LPVOID parameter) {
    LoginAttempt* attempt = static_cast<LoginAttempt*>(parameter);
    attempt->engine->SetStatusWindow(attempt->notifyWindow);
    HRESULT result = attempt->engine->Connect(attempt->host.c_str(), attempt->user.c_str(),
                                              attempt->password.c_str(), attempt->port);
    attempt->loggedIn = result == S_OK;
    if (result != S_OK) {
        attempt->failureReason = TakeServerReason();
        attempt->failed = true;
    }
    if (!attempt->abandoned)
        PostMessageW(attempt->notifyWindow, result == S_OK ? WM_APP_LOGGED_IN : WM_APP_LOGIN_FAILED,
                     0, 0);
    attempt->Release();
    return 0;
}

// The statuses of a login still running go to the caller's window, which the
// caller destroys next: a message to a window that is gone is dropped.
void LoginAttempt::Abandon() {
    abandoned = true;
    Release();
}

// Whoever lets go last frees the attempt, its engine and its connection.
void LoginAttempt::Release() {
    if (--holders == 0) delete this;
}
