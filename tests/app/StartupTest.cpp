#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/FtpClientApp.h"
#include "app/ProgramEntry.h"
#include "resources/resource.h"
#include "support/DialogAnswerer.h"
#include "support/GuiApp.h"

namespace {

const wchar_t kRoot[] = L"Software\\Ostrel\\Corvane";
const wchar_t kBackup[] = L"Software\\Ostrel\\Corvane test backup";

bool KeyExists(const std::wstring& key) {
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

void MoveKey(const wchar_t* from, const wchar_t* to) {
    RegDeleteTreeW(HKEY_CURRENT_USER, to);
    HKEY source, target;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, from, 0, KEY_READ, &source) != ERROR_SUCCESS) return;
    RegCreateKeyExW(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                    nullptr);
    RegCopyTreeW(source, nullptr, target);
    RegCloseKey(target);
    RegCloseKey(source);
    RegDeleteTreeW(HKEY_CURRENT_USER, from);
}

DWORD ReadDword(const std::wstring& key, const wchar_t* value, DWORD missing = 0xDEADBEEF) {
    DWORD data = 0, size = sizeof(data);
    std::wstring path = std::wstring(kRoot) + L"\\" + key;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), value, RRF_RT_REG_DWORD, nullptr, &data,
                     &size) != ERROR_SUCCESS)
        return missing;
    return data;
}

void WriteDword(const std::wstring& key, const wchar_t* value, DWORD data) {
    std::wstring path = std::wstring(kRoot) + L"\\" + key;
    RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), value, REG_DWORD, &data, sizeof(data));
}

void WriteString(const std::wstring& key, const wchar_t* value, const wchar_t* text) {
    std::wstring path = std::wstring(kRoot) + L"\\" + key;
    RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), value, REG_SZ, text,
                    static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

DWORD HandleValue(HWND window) { return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window)); }

// Each test starts from a machine without the program's key; whatever the
// user had there is put back afterwards.
class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        hadKey = KeyExists(kRoot);
        if (hadKey) MoveKey(kRoot, kBackup);
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        if (hadKey) MoveKey(kBackup, kRoot);
    }
    bool hadKey = false;
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

TEST_F(StartupTest, FirstRunRecordsTheFrameAndWritesEverythingBackAtExit) {
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    HWND frame = app.frame.GetHandle();
    ASSERT_TRUE(IsWindow(frame));
    wchar_t title[64];
    GetWindowTextW(frame, title, 64);
    EXPECT_STREQ(L"Ftp [Local]", title);
    EXPECT_EQ(HandleValue(frame), ReadDword(L"Runtime", L"hWnd"));
    EXPECT_FALSE(KeyExists(std::wstring(kRoot) + L"\\FtpConfig"));

    // The input panel is down: the frame leaves room for its bar.
    RECT work, placed;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(frame, &placed);
    EXPECT_EQ(work.top, placed.top);
    EXPECT_EQ(work.bottom - work.top - 26, placed.bottom - placed.top);

    EXPECT_EQ(0, app.Shutdown());
    EXPECT_EQ(0u, ReadDword(L"Runtime", L"hWnd"));
    EXPECT_EQ(1u, ReadDword(L"FtpConfig", L"Transfer Type"));
    EXPECT_EQ(3u, ReadDword(L"FtpConfig", L"Existing File Option"));
    EXPECT_EQ(0u, ReadDword(L"FtpConfig", L"Use Passive Semantics"));
    EXPECT_FALSE(KeyExists(std::wstring(kRoot) + L"\\Sessions"));
}

TEST_F(StartupTest, SessionsAndOptionsComeBackAndRemovalsReachTheRegistry) {
    WriteString(L"Sessions\\home", L"Host", L"10.0.0.1");
    WriteDword(L"Sessions\\home", L"Port", 2121);
    WriteString(L"Sessions\\work", L"Host", L"ftp.example");
    WriteDword(L"FtpConfig", L"Transfer Type", 0);
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    EXPECT_EQ(0u, app.options.GetTransferType());
    HMENU file = reinterpret_cast<HMENU>(
        SendMessageW(app.frame.GetMenuBar(), SHCMBM_GETSUBMENU, 0, IDM_FILE));
    HMENU removeSession = GetSubMenu(file, 2);
    ASSERT_EQ(4, GetMenuItemCount(removeSession));
    wchar_t text[64];
    GetMenuStringW(removeSession, 2, text, 64, MF_BYPOSITION);
    app.frame.HandleCommand(GetMenuItemID(removeSession, 2), 0, 0);
    app.Shutdown();
    std::wstring removed = text, kept = removed == L"home" ? L"work" : L"home";
    EXPECT_FALSE(KeyExists(std::wstring(kRoot) + L"\\Sessions\\" + removed));
    EXPECT_TRUE(KeyExists(std::wstring(kRoot) + L"\\Sessions\\" + kept));
    EXPECT_EQ(0u, ReadDword(L"FtpConfig", L"Transfer Type"));
}

TEST_F(StartupTest, StaleHandleIsIgnoredAndOverwritten) {
    WriteDword(L"Runtime", L"hWnd", 0x7FFF0001);
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    EXPECT_EQ(HandleValue(app.frame.GetHandle()), ReadDword(L"Runtime", L"hWnd"));
}

TEST_F(StartupTest, DeclinedStartShowsNothingAndWritesNothing) {
    HWND running = CreateWindowW(L"STATIC", L"running", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    WriteDword(L"Runtime", L"hWnd", HandleValue(running));
    {
        StartedApp app;
        EXPECT_EQ(0, RunProgram(GetModuleHandleW(nullptr)));
        EXPECT_EQ(nullptr, app.frame.GetHandle());
    }
    EXPECT_EQ(HandleValue(running), ReadDword(L"Runtime", L"hWnd"));
    EXPECT_FALSE(KeyExists(std::wstring(kRoot) + L"\\FtpConfig"));
    DestroyWindow(running);
}

// The real program started while this process's instance runs.
TEST_F(StartupTest, SecondProgramStartBringsTheFirstForwardAndExits) {
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring program = module;
    program = program.substr(0, program.find_last_of(L'\\'));
    program = program.substr(0, program.find_last_of(L'\\')) + L"\\corvane.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    DWORD waited = WAIT_TIMEOUT;
    for (int i = 0; i < 600 && waited != WAIT_OBJECT_0; ++i) {
        PumpMessages();
        waited = WaitForSingleObject(process.hProcess, 100);
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), waited);
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(HandleValue(app.frame.GetHandle()), ReadDword(L"Runtime", L"hWnd"));
    EXPECT_FALSE(KeyExists(std::wstring(kRoot) + L"\\FtpConfig"));
}

TEST(ProgramEntry, WithoutApplicationObjectSaysSoAndEnds) {
    ASSERT_EQ(nullptr, GetWinApp());
    DialogAnswerer answerer(IDOK);
    EXPECT_EQ(0, RunProgram(GetModuleHandleW(nullptr)));
    EXPECT_EQ(L"This application needs a CWinApp", answerer.LastText());
}
