#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/FtpClientApp.h"
#include "ftp/FtpFS.h"
#include "settings/SessionInfo.h"
#include "settings/TrustedCertificates.h"
#include "support/DialogDriver.h"
#include "support/FtpFixture.h"
#include "support/ScratchKey.h"

namespace {

// The fixture server's address, and a folder of the test's own on its disk.
// The application object is there because the engine reads passive mode from it.
class FtpServerFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server.Load())
            GTEST_SKIP() << "the FTP fixture is not running: run the tests through scripts/test.sh";
        remoteFolder = L"/" + TestFolderName();
        localFolder = WinePath(server.root) + L"\\" + TestFolderName();
        CreateDirectoryW(localFolder.c_str(), nullptr);
    }

    HRESULT Connect(FtpFS& ftp, const std::wstring& withPassword) {
        return ftp.Connect(server.host.c_str(), server.user.c_str(), withPassword.c_str(),
                           server.port);
    }

    std::wstring Local(const std::wstring& relative) const {
        return localFolder + L"\\" + relative;
    }
    void MakeFolder(const std::wstring& relative) const {
        CreateDirectoryW(Local(relative).c_str(), nullptr);
    }
    void MakeFile(const std::wstring& relative, uint64_t size) const {
        ASSERT_TRUE(WriteTestFile(Local(relative), size, 1));
    }
    bool Exists(const std::wstring& relative) const {
        return GetFileAttributesW(Local(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    FtpClientApp app;
    FixtureServer server;
    std::wstring remoteFolder, localFolder;
};

// An engine logged in and standing in the test's folder.
class FtpFSTest : public FtpServerFixture {
  protected:
    void SetUp() override {
        FtpServerFixture::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(S_OK, Connect(engine, server.password));
        ASSERT_EQ(S_OK, engine.SetCurrentDir(remoteFolder.c_str()));
    }

    std::wstring CurrentDir() {
        wchar_t path[512];
        DWORD length = 512;
        EXPECT_EQ(S_OK, engine.GetCurrentDir(path, &length));
        return path;
    }

    FtpFS engine;
};

// Making and deleting single entries runs through the view's tests; here the
// size query and the engine's own walk of a tree.
TEST_F(FtpFSTest, MeasuresFilesAndDeletesTreesReportingWhatTheServerRefusedOnce) {
    MakeFolder(L"tree");
    MakeFolder(L"tree\\empty");
    MakeFile(L"tree\\top", 5120);
    MakeFile(L"tree\\keep\\undeletable.txt", 4);
    MakeFile(L"tree\\keep\\ordinary", 4);
    MakeFile(L"tree\\B b\\deep\\two three", 0);
    EXPECT_EQ(5120u, engine.RemoteFileSize(L"tree/top"));
    EXPECT_EQ(0u, engine.RemoteFileSize(L"no such file"));
    std::wstring start = CurrentDir();

    DialogDriver answerer(Pressing({IDOK}));
    EXPECT_EQ(S_OK, engine.DeleteRemoteTree(L"tree"));
    // The refused file keeps its folder and the folder above it.
    EXPECT_EQ(1, answerer.Count());
    EXPECT_EQ(L"1 files and 2 directories were not deleted\n", answerer.LastText());
    EXPECT_TRUE(Exists(L"tree\\keep\\undeletable.txt"));
    EXPECT_FALSE(Exists(L"tree\\keep\\ordinary"));
    for (const wchar_t* gone : {L"tree\\top", L"tree\\B b", L"tree\\empty"})
        EXPECT_FALSE(Exists(gone)) << gone;
    EXPECT_EQ(start, CurrentDir());
}

TEST_F(FtpFSTest, TreeDeleteOfMissingOrParentFolderTouchesNothing) {
    MakeFile(L"bystander", 1);
    std::wstring start = CurrentDir();
    for (const wchar_t* name : {L"missing", L"..", L"a/b"}) {
        DialogDriver answerer(Pressing({IDOK}));
        engine.DeleteRemoteTree(name);
        EXPECT_EQ(L"0 files and 1 directories were not deleted\n", answerer.LastText()) << name;
        EXPECT_EQ(start, CurrentDir()) << name;
    }
    EXPECT_TRUE(Exists(L"bystander"));
}

// pyftpdlib's MLSD calls the link doomed/link a folder: it goes as a link, and
// the sibling it leads to keeps its files.
TEST_F(FtpFSTest, TreeDeleteNeverEntersALinkToAFolder) {
    ASSERT_TRUE(engine.CreateRemoteDir(L"make-links"));
    DialogDriver answerer(Pressing({IDOK}));
    EXPECT_EQ(S_OK, engine.DeleteRemoteTree(L"doomed"));
    EXPECT_EQ(0, answerer.Count()) << answerer.LastText();
    EXPECT_TRUE(Exists(L"victim\\keep.txt"));
    EXPECT_FALSE(Exists(L"doomed"));
}

TEST_F(FtpFSTest, LocalFileExistsOnlyForFilesItCanOpen) {
    MakeFile(L"local", 1);
    std::wstring path = Local(L"local");
    EXPECT_TRUE(FtpFS::LocalFileExists(path.c_str()));
    EXPECT_FALSE(FtpFS::LocalFileExists(Local(L"missing").c_str()));
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(FtpFS::LocalFileExists(path.c_str()));
    CloseHandle(held);
}

using FtpConnectTest = FtpServerFixture;

// The login statuses are checked through the Connecting dialog's tests.
TEST_F(FtpConnectTest, FailedLoginLeavesTheEngineDisconnected) {
    FtpFS ftp;
    EXPECT_EQ(E_FAIL, Connect(ftp, L"not the password"));
    EXPECT_FALSE(ftp.IsConnected());
    EXPECT_EQ(E_FAIL, ftp.SetCurrentDir(L"/"));
}

int statusesSeen = 0;
LRESULT CALLBACK CountStatuses(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_FTP_CONNECT_STATUS) ++statusesSeen;
    return DefWindowProcW(window, message, wParam, lParam);
}

// The status window serves one login: a later reconnect must not report to a dialog that is gone.
TEST_F(FtpConnectTest, StatusesReachTheStatusWindowDuringOneLoginOnly) {
    HWND window =
        CreateWindowW(L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountStatuses));
    FtpFS ftp;
    ftp.SetStatusWindow(window);
    ASSERT_EQ(S_OK, Connect(ftp, server.password));
    EXPECT_GT(statusesSeen, 0);
    statusesSeen = 0;
    ftp.Disconnect();
    ASSERT_EQ(S_OK, Connect(ftp, server.password));
    EXPECT_EQ(0, statusesSeen);
    DestroyWindow(window);
}

TEST_F(FtpConnectTest, EnginesShareOneSessionThatOutlivesAllButTheLast) {
    for (int round = 0; round < 2; ++round) {
        auto first = std::make_unique<FtpFS>();
        FtpFS second;
        ASSERT_EQ(S_OK, Connect(*first, server.password));
        first.reset();
        // The session stays open for the engine still alive, and opens anew after the last.
        EXPECT_EQ(S_OK, Connect(second, server.password)) << round;
    }
}

}  // namespace

namespace {

// A whole engine session against vsftpd: make a tree by upload, list it, delete it.
// Reading files back runs through the transfer tests on both servers.
TEST(FtpFSOnVsftpd, BuildsListsAndDeletesATree) {
    REQUIRE_FIXTURE_VARIABLE(port, "CORVANE_VSFTPD_PORT");
    FtpClientApp app;
    app.options.SetUsePassive(true);
    FtpFS engine;
    ASSERT_EQ(S_OK, engine.Connect(L"127.0.0.1", L"anonymous", L"guest@",
                                   static_cast<INTERNET_PORT>(atoi(port.c_str()))));
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L"pub"));
    ASSERT_TRUE(engine.CreateRemoteDir(L"engine tree"));
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L"engine tree"));
    ASSERT_TRUE(engine.CreateRemoteDir(L"sub"));
    for (const wchar_t* name : {L"a file", L"sub/inner"}) {
        HINTERNET file = engine.OpenRemoteFile(name, GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY);
        ASSERT_NE(nullptr, file);
        DWORD written = 0;
        EXPECT_TRUE(InternetWriteFile(file, "abc", 3, &written));
        EXPECT_TRUE(InternetCloseHandle(file));
    }
    EXPECT_EQ(3u, engine.RemoteFileSize(L"a file"));
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L".."));

    DialogDriver answerer(Pressing({IDOK}));
    EXPECT_EQ(S_OK, engine.DeleteRemoteTree(L"engine tree"));
    EXPECT_EQ(0, answerer.Count()) << answerer.LastText();
    EXPECT_EQ(E_FAIL, engine.SetCurrentDir(L"engine tree"));
}

}  // namespace

// Without anyone to ask (a reconnect), only a certificate trusted for this host
// and port passes; one that differs from the trusted one never connects silently.
TEST_F(FtpServerFixture, OnlyTheTrustedCertificateConnectsWithoutAQuestion) {
    REQUIRE_FIXTURE_VARIABLE(portText, "CORVANE_FTPS_SELFSIGNED_PORT");
    INTERNET_PORT port = static_cast<INTERNET_PORT>(std::stoi(portText));
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
