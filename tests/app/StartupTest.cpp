#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/FtpClientApp.h"
#include "app/ProgramEntry.h"
#include "resources/resource.h"
#include "support/DialogAnswerer.h"
#include "support/GuiApp.h"

namespace {

const std::wstring kRoot = L"Software\\Ostrel\\Corvane";
const std::wstring kBackup = L"Software\\Ostrel\\Corvane test backup";

bool KeyExists(const std::wstring& key) {
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (kRoot + key).c_str(), 0, KEY_READ, &handle)) return false;
    RegCloseKey(handle);
    return true;
}

// Moves a whole key; a missing source moves nothing.
void MoveKey(const std::wstring& from, const std::wstring& to) {
    HKEY source, target;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, from.c_str(), 0, KEY_READ, &source)) return;
    RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                    nullptr);
    RegCopyTreeW(source, nullptr, target);
    RegCloseKey(target);
    RegCloseKey(source);
    RegDeleteTreeW(HKEY_CURRENT_USER, from.c_str());
}

DWORD ReadDword(const std::wstring& key, const wchar_t* value) {
    DWORD data = 0xDEADBEEF, size = sizeof(data);
    RegGetValueW(HKEY_CURRENT_USER, (kRoot + key).c_str(), value, RRF_RT_REG_DWORD, nullptr, &data,
                 &size);
    return data;
}

void Write(const std::wstring& key, const wchar_t* value, DWORD type, const void* data,
           DWORD size) {
    RegSetKeyValueW(HKEY_CURRENT_USER, (kRoot + key).c_str(), value, type, data, size);
}

DWORD HandleValue(HWND window) { return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window)); }

// Each test starts on a machine without the program's key; whatever the
// user had there is put back afterwards.
class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override { MoveKey(kRoot, kBackup); }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
        MoveKey(kBackup, kRoot);
    }
};

class StartedApp : public FtpClientApp {
  public:
    StartedApp() { SetInstance(GetModuleHandleW(nullptr)); }
    ~StartedApp() override {
        frame.DestroyWnd();
        PumpMessages();
    }
};

}  // namespace

TEST_F(StartupTest, StartRecordsTheFrameAndExitWritesEverythingBack) {
    // Left by an instance that never shut down, and since reused by a window
    // that is not ours.
    HWND other =
        CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DWORD stale = HandleValue(other);
    Write(L"\\Runtime", L"hWnd", REG_DWORD, &stale, sizeof(stale));
    Write(L"\\Sessions\\home", L"Host", REG_SZ, L"h", 4);
    Write(L"\\Sessions\\work", L"Host", REG_SZ, L"w", 4);
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    HWND frame = app.frame.GetHandle();
    EXPECT_EQ(HandleValue(frame), ReadDword(L"\\Runtime", L"hWnd"));
    RECT work, placed;  // the input panel is down: room is left for its bar
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(frame, &placed);
    EXPECT_EQ(work.bottom - work.top - 26, placed.bottom - placed.top);

    HMENU file = reinterpret_cast<HMENU>(
        SendMessageW(app.frame.GetMenuBar(), SHCMBM_GETSUBMENU, 0, IDM_FILE));
    HMENU removeSession = GetSubMenu(file, 2);
    ASSERT_EQ(4, GetMenuItemCount(removeSession));
    wchar_t removed[64];
    GetMenuStringW(removeSession, 2, removed, 64, MF_BYPOSITION);
    app.frame.HandleCommand(GetMenuItemID(removeSession, 2), 0, 0);

    EXPECT_EQ(0, app.Shutdown());
    EXPECT_EQ(0u, ReadDword(L"\\Runtime", L"hWnd"));
    EXPECT_EQ(1u, ReadDword(L"\\FtpConfig", L"Transfer Type"));
    EXPECT_EQ(3u, ReadDword(L"\\FtpConfig", L"Existing File Option"));
    EXPECT_FALSE(KeyExists(std::wstring(L"\\Sessions\\") + removed));
    EXPECT_EQ(1, KeyExists(L"\\Sessions\\home") + KeyExists(L"\\Sessions\\work"));
    DestroyWindow(other);
}

// The real program, started while this process's instance runs, must end
// at once with exit code 0, showing nothing and writing nothing.
TEST_F(StartupTest, SecondProgramStartExitsAndLeavesTheFirst) {
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring program = module;
    program.erase(program.find_last_of(L'\\'));
    program.replace(program.find_last_of(L'\\'), std::wstring::npos, L"\\corvane.exe");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    DWORD waited = WAIT_TIMEOUT, exitCode = 1;
    for (int i = 0; i < 600 && waited == WAIT_TIMEOUT; ++i) {
        PumpMessages();
        waited = WaitForSingleObject(process.hProcess, 100);
    }
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(HandleValue(app.frame.GetHandle()), ReadDword(L"\\Runtime", L"hWnd"));
    EXPECT_FALSE(KeyExists(L"\\FtpConfig"));
}

TEST(ProgramEntry, WithoutApplicationObjectSaysSoAndEnds) {
    ASSERT_EQ(nullptr, GetWinApp());
    DialogAnswerer answerer(IDOK);
    EXPECT_EQ(0, RunProgram(GetModuleHandleW(nullptr)));
    EXPECT_EQ(L"This application needs a CWinApp", answerer.LastText());
}
