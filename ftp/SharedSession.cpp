#include "ftp/SharedSession.h"

#include <mutex>

namespace {
std::mutex sessionLock;
HINTERNET session = nullptr;
int users = 0;
}  // namespace

HINTERNET SharedSession::Acquire(INTERNET_STATUS_CALLBACK callback) {
    std::lock_guard<std::mutex> guard(sessionLock);
    ++users;
    if (!session) {
        session = InternetOpenW(L"FtpFS", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        if (session) InternetSetStatusCallback(session, callback);
    }
    return session;
}

void SharedSession::Release() {
    std::lock_guard<std::mutex> guard(sessionLock);
    if (--users > 0 || !session) return;
    InternetSetStatusCallback(session, nullptr);
    InternetCloseHandle(session);
    session = nullptr;
}
