#pragma once

#include <string>

#include "framework/TextUtil.h"
#include "settings/SessionInfo.h"

// A session record as the tests save and show it: a name, a host and a port.
inline SessionInfo MakeSession(const std::wstring& name, const wchar_t* host = L"host.example",
                               DWORD port = 21) {
    SessionInfo session = {};
    CopyText(session.name, name.c_str());
    CopyText(session.host, host);
    session.port = port;
    return session;
}
