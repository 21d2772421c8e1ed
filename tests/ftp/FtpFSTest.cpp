#include <filesystem>

#include "TransferHarness.h"
#include "settings/SessionInfo.h"
#include "settings/TrustedCertificates.h"
#include "support/ScratchKey.h"

namespace {

namespace fs = std::filesystem;

// The transfer tests' logged-in engine, standing in the test's own folder.
using FtpFSTest = TransferTest;
using FtpConnectTest = TransferTest;

// Making and deleting single entries runs through the view's tests; here the
// size query and the engine's own walk of a tree. A missing folder, the parent
// or a path is refused and touches nothing.
TEST_F(FtpFSTest, MeasuresFilesAndDeletesTreesReportingWhatTheServerRefusedOnce) {
    WriteBytes(Remote(L"tree\\top"), std::string(5120, 't'));
    for (const wchar_t* name :
         {L"tree\\keep\\undeletable.txt", L"tree\\keep\\ordinary", L"tree\\B b\\deep\\two three"})
        WriteBytes(Remote(name), "");
    CreateDirectoryW(Remote(L"tree\\empty").c_str(), nullptr);
    EXPECT_EQ(5120u, engine.RemoteFileSize(L"tree/top"));
    EXPECT_EQ(0u, engine.RemoteFileSize(L"no such file"));

    DWORD files = 0, folders = 0;
    EXPECT_EQ(E_FAIL, engine.DeleteRemoteTree(L"tree", &files, &folders));
    // The refused file keeps its folder and the folder above it.
    EXPECT_EQ(1u, files);
    EXPECT_EQ(2u, folders);
    for (const wchar_t* gone : {L"tree\\B b", L"tree\\empty"})
        EXPECT_FALSE(fs::exists(Remote(gone))) << gone;
    EXPECT_EQ(startDir, CurrentDir());
    for (const wchar_t* name : {L"missing", L"..", L"a/b"}) {
        files = folders = 9;
        EXPECT_EQ(E_FAIL, engine.DeleteRemoteTree(name, &files, &folders)) << name;
        EXPECT_EQ(0u, files) << name;
        EXPECT_EQ(1u, folders) << name;
        EXPECT_EQ(startDir, CurrentDir()) << name;
    }
    EXPECT_EQ(Names{L"keep\\undeletable.txt"}, FilesBelow(Remote(L"tree")));
}

TEST_F(FtpFSTest, LocalFileExistsOnlyForFilesItCanOpen) {
    WriteBytes(Local(L"local"), "x");
    std::wstring path = Local(L"local");
    EXPECT_TRUE(FtpFS::LocalFileExists(path.c_str()));
    EXPECT_FALSE(FtpFS::LocalFileExists(Local(L"missing").c_str()));
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(FtpFS::LocalFileExists(path.c_str()));
    CloseHandle(held);
}

int statusesSeen = 0;
LRESULT CALLBACK CountStatuses(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP_CONNECT_STATUS) ++statusesSeen;
    return DefWindowProcW(window, message, wParam, lParam);
}

// The status window serves one login: a later reconnect must not report to a dialog that is gone.
TEST_F(FtpConnectTest, StatusesReachTheStatusWindowDuringOneLoginOnly) {
    HWND window =
        CreateWindowW(L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountStatuses));
    FtpFS ftp;
    ftp.SetStatusWindow(window);
    ASSERT_EQ(S_OK, Login(ftp));
    EXPECT_GT(statusesSeen, 0);
    statusesSeen = 0;
    ftp.Disconnect();
    ASSERT_EQ(S_OK, Login(ftp));
    EXPECT_EQ(0, statusesSeen);
    DestroyWindow(window);
}

}  // namespace

// Without anyone to ask (a reconnect), only a certificate trusted for this host
// and port passes; one that differs from the trusted one never connects silently.
TEST_F(FtpConnectTest, OnlyTheTrustedCertificateConnectsWithoutAQuestion) {
    INTERNET_PORT port = FixturePort("CORVANE_FTPS_SELFSIGNED_PORT");
    ScratchKey key(L"Software\\CorvaneTest\\Trust");
    app.registry.SetMakerKey(L"CorvaneTest");
    app.registry.SetProductKey(L"Trust");
    ASSERT_TRUE(app.registry.Open());
    std::wstring fingerprint = FixtureFingerprint("selfsigned");
    ASSERT_EQ(95u, fingerprint.size());
    for (const std::wstring& trusted :
         {std::wstring(), std::wstring(L"00") + (fingerprint.c_str() + 2), fingerprint}) {
        if (!trusted.empty())
            TrustedCertificates::Trust(app.registry, L"localhost", port, trusted.c_str());
        FtpFS engine;
        engine.SetEncryption(kRequireTls);
        HRESULT result =
            engine.Connect(L"localhost", server.user.c_str(), server.password.c_str(), port);
        EXPECT_EQ(trusted == fingerprint, result == S_OK) << trusted.c_str();
        EXPECT_EQ(trusted != fingerprint, engine.CertificateDeclined());
        EXPECT_EQ(trusted == fingerprint, engine.IsEncrypted());
    }
}
