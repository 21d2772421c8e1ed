#include "support/RestartableServer.h"

#include <windows.h>

#include <cstdlib>

#include "support/ScratchFolder.h"

namespace {

const DWORD kRequestBoundMs = 30000;

}  // namespace

bool RestartableServer::Load() {
    return server.Load(Fixture::kRestartable) &&
           FixtureVariable("CORVANE_FTP_RESTARTABLE_CONTROL", control_);
}

std::wstring RestartableServer::ControlFile(const char* name) const {
    return WinePath(control_ + "/" + name);
}

// Makes the request file and waits until the server has taken it.
bool RestartableServer::Request(const std::string& name) const {
    std::wstring path = ControlFile(name.c_str());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE || !CloseHandle(file)) return false;
    for (ULONGLONG end = GetTickCount64() + kRequestBoundMs; GetTickCount64() < end; Sleep(20))
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    return false;
}

int RestartableServer::Generation() const {
    std::string state = ReadBytes(ControlFile("state"));
    size_t blank = state.find(' ');
    return blank == std::string::npos ? 0 : atoi(state.c_str() + blank + 1);
}

bool RestartableServer::Running() const {
    return ReadBytes(ControlFile("state")).rfind("running ", 0) == 0;
}

bool RestartableServer::WaitUntilRunning(int generation) {
    for (ULONGLONG end = GetTickCount64() + kRequestBoundMs; GetTickCount64() < end; Sleep(20))
        if (Running() && Generation() >= generation) return true;
    return false;
}

bool RestartableServer::RestartAfterDownloads(int count) {
    return Request("restart-after-" + std::to_string(count));
}
