#include <gtest/gtest.h>

#include "app/ProgramEntry.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "support/ScratchKey.h"
#include "support/TestSession.h"

namespace {

DWORD HandleValue(HWND window) { return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window)); }

// The program's own key: each test starts without it, and what was there comes back.
const wchar_t programKey[] = L"Software\\Ostrel\\Corvane";

}  // namespace

// Each change is in the registry at once, and the exit writes everything again.
TEST(Startup, StartRecordsTheFrameAndChangesReachTheRegistryAtOnce) {
    ScratchKey key(programKey);
    // Left by an instance that never shut down, and since reused by a window
    // that is not ours.
    HWND other =
        CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    key.SetDword(L"Runtime", L"hWnd", HandleValue(other));
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    HWND frame = app.frame.GetHandle();
    EXPECT_EQ(HandleValue(frame), key.GetDword(L"Runtime", L"hWnd"));
    RECT work, placed;  // the input panel is down: room is left for its bar
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(frame, &placed);
    EXPECT_EQ(work.bottom - work.top - 26, placed.bottom - placed.top);

    // (Sessions reach it at once in ConnectTest's saved sessions.)
    DialogDriver answerer(Pressing({IDOK}));
    app.options.SetTransferType(transferAscii);
    app.frame.HandleCommand(IDM_OPTIONS, 0, 0);
    EXPECT_EQ(0u, key.GetDword(L"FtpConfig", L"Transfer Type"));
    app.options.SetTransferType(transferPrompt);
    EXPECT_EQ(0, app.Shutdown());
    EXPECT_EQ(0u, key.GetDword(L"Runtime", L"hWnd"));
    EXPECT_EQ(2u, key.GetDword(L"FtpConfig", L"Transfer Type"));
    DestroyWindow(other);
}

// A volatile key takes no lasting subkeys: every save under it fails, when
// the options are OK'd and again at exit, and each failure is told.
TEST(Startup, AFailedWriteIsToldWithTheSystemsReason) {
    ScratchKey key(programKey);
    HKEY product = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, programKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                    nullptr, &product, nullptr);
    RegCloseKey(product);
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    app.sessions.AddIfAbsent(MakeSession(L"kept"));
    DialogDriver answerer(Pressing({IDOK}));
    app.frame.HandleCommand(IDM_OPTIONS, 0, 0);
    app.Shutdown();
    std::vector<std::wstring> told;
    for (const std::wstring& seen : answerer.Seen())
        if (seen.compare(0, 7, L"Error: ") == 0) told.push_back(seen.substr(0, seen.find(L" in ")));
    EXPECT_EQ((std::vector<std::wstring>{L"Error: Can't save the options",
                                         L"Error: Can't save the sessions",
                                         L"Error: Can't save the options"}),
              told);
    EXPECT_NE(std::wstring::npos, answerer.LastText().find(L"(error 1021)")) << answerer.LastText();
}

// The real program, started while this process's instance runs, must end
// at once with exit code 0, showing nothing and writing nothing.
TEST(Startup, SecondProgramStartExitsAndLeavesTheFirst) {
    ScratchKey key(programKey);
    StartedApp app;
    ASSERT_TRUE(app.Startup());
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring program = module;  // the program is built one folder up
    program = program.substr(0, program.rfind(L"\\tests\\")) + L"\\corvane.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    // Our frame keeps answering while the second instance looks for it.
    for (int i = 0; i < 600 && WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT; ++i)
        PumpMessages();
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(HandleValue(app.frame.GetHandle()), key.GetDword(L"Runtime", L"hWnd"));
    EXPECT_FALSE(key.Exists(L"FtpConfig"));
}

TEST(ProgramEntry, WithoutApplicationObjectSaysSoAndEnds) {
    ASSERT_EQ(nullptr, GetWinApp());
    DialogDriver answerer(Pressing({IDOK}));
    EXPECT_EQ(0, RunProgram(GetModuleHandleW(nullptr)));
    EXPECT_EQ(L"This application needs a CWinApp", answerer.LastText());
}
