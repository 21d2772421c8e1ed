#include "wininet/InternetSession.h"

#include <winsock2.h>

InternetSession::InternetSession() : InternetHandle(INTERNET_HANDLE_TYPE_INTERNET, nullptr, 0) {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

InternetSession::~InternetSession() {
    if (started_) WSACleanup();
}
