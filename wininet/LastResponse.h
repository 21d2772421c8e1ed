#pragma once

#include <windows.h>

#include <string>

// The server's last reply, kept per thread as InternetGetLastResponseInfo
// reports it to the thread that made the failing call.
void RecordLastResponse(int code, const std::wstring& text);
int LastResponseCode();
const std::wstring& LastResponseText();
