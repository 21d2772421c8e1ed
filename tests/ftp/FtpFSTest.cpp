#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/FtpClientApp.h"
#include "ftp/FtpFS.h"
#include "support/DialogDriver.h"
#include "support/FtpFixture.h"

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

    std::vector<std::wstring> ListNames() {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        if (engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE) != S_OK) return names;
        do names.push_back(data.cFileName);
        while (engine.FindNext(&data) == S_OK);
        return names;
    }

    FtpFS engine;
};

TEST_F(FtpFSTest, ListingMarksFoldersAndSizesAndClosesItselfAtTheEnd) {
    MakeFile(L"five", 5121);
    MakeFolder(L"inner");
    WIN32_FIND_DATAW data;
    ASSERT_EQ(S_OK, engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE));
    int seen = 0;
    do {
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        EXPECT_EQ(std::wstring(data.cFileName) == L"inner", isFolder);
        if (!isFolder) {
            EXPECT_EQ(5121u, data.nFileSizeLow);
        }
        ++seen;
    } while (engine.FindNext(&data) == S_OK);
    EXPECT_EQ(2, seen);
    EXPECT_EQ(E_FAIL, engine.FindNext(&data));
    EXPECT_EQ(S_OK, engine.FindClose());
}

TEST_F(FtpFSTest, MakesMeasuresAndDeletesEntries) {
    EXPECT_TRUE(engine.CreateRemoteDir(L"new folder"));
    EXPECT_FALSE(engine.CreateRemoteDir(L"new folder"));
    EXPECT_TRUE(Exists(L"new folder"));

    MakeFile(L"doomed file", 10);
    EXPECT_EQ(10u, engine.RemoteFileSize(L"doomed file"));
    EXPECT_EQ(0u, engine.RemoteFileSize(L"no such file"));
    // A line break would end the command early and run the rest as a command.
    EXPECT_FALSE(engine.CreateRemoteDir(L"x\r\nDELE doomed file"));
    EXPECT_EQ(S_OK, engine.DeleteRemoteFile(L"doomed file"));
    EXPECT_FALSE(Exists(L"doomed file"));
    EXPECT_EQ(E_FAIL, engine.DeleteRemoteFile(L"doomed file"));
}

TEST_F(FtpFSTest, TreeDeleteRemovesEverythingQuietlyAndReturnsToStart) {
    for (const wchar_t* folder :
         {L"tree", L"tree\\A", L"tree\\B b", L"tree\\B b\\deep", L"tree\\empty"})
        MakeFolder(folder);
    MakeFile(L"tree\\top", 5);
    MakeFile(L"tree\\A\\one", 5120);
    MakeFile(L"tree\\B b\\deep\\two three", 0);
    std::wstring start = CurrentDir();

    DialogDriver answerer(Pressing({IDOK}));
    EXPECT_EQ(S_OK, engine.DeleteRemoteTree(L"tree"));
    EXPECT_EQ(0, answerer.Count());
    EXPECT_FALSE(Exists(L"tree"));
    EXPECT_EQ(start, CurrentDir());
}

TEST_F(FtpFSTest, TreeDeleteReportsWhatTheServerRefusedInOneMessage) {
    for (const wchar_t* folder : {L"tree", L"tree\\keep", L"tree\\gone"}) MakeFolder(folder);
    MakeFile(L"tree\\keep\\undeletable.txt", 4);
    MakeFile(L"tree\\keep\\ordinary", 4);
    MakeFile(L"tree\\gone\\ordinary", 4);
    std::wstring start = CurrentDir();

    DialogDriver answerer(Pressing({IDOK}));
    EXPECT_EQ(S_OK, engine.DeleteRemoteTree(L"tree"));
    // The refused file keeps its folder and the folder above it.
    EXPECT_EQ(1, answerer.Count());
    EXPECT_EQ(L"1 files and 2 directories were not deleted\n", answerer.LastText());
    EXPECT_TRUE(Exists(L"tree\\keep\\undeletable.txt"));
    EXPECT_FALSE(Exists(L"tree\\keep\\ordinary"));
    EXPECT_FALSE(Exists(L"tree\\gone"));
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

// A window of the test thread that records the connect statuses sent to it.
class StatusRecorder {
  public:
    StatusRecorder() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = L"StatusRecorder";
        RegisterClassW(&windowClass);
        window = CreateWindowW(L"StatusRecorder", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
    }
    ~StatusRecorder() { DestroyWindow(window); }

    HWND window;
    static std::vector<DWORD> codes;

  private:
    static LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* report = reinterpret_cast<StatusReport*>(lParam);
        if (message == WM_FTP_CONNECT_STATUS && report && report->statusCode == wParam)
            codes.push_back(report->statusCode);
        return DefWindowProcW(handle, message, wParam, lParam);
    }
};
std::vector<DWORD> StatusRecorder::codes;

bool IsInOrder(const std::vector<DWORD>& seen, const std::vector<DWORD>& expected) {
    size_t next = 0;
    for (DWORD code : seen)
        if (next < expected.size() && code == expected[next]) ++next;
    return next == expected.size();
}

using FtpConnectTest = FtpServerFixture;

TEST_F(FtpConnectTest, StatusesReachTheStatusWindowDuringOneConnectOnly) {
    StatusRecorder recorder;
    StatusRecorder::codes.clear();
    FtpFS ftp;
    ftp.SetStatusWindow(recorder.window);
    ASSERT_EQ(S_OK, Connect(ftp, server.password));
    EXPECT_TRUE(IsInOrder(StatusRecorder::codes,
                          {INTERNET_STATUS_RESOLVING_NAME, INTERNET_STATUS_CONNECTING_TO_SERVER,
                           INTERNET_STATUS_CONNECTED_TO_SERVER}));
    // Neither later work nor a reconnect reports to a window meant for one login.
    StatusRecorder::codes.clear();
    WIN32_FIND_DATAW data;
    ftp.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
    ftp.Disconnect();
    ASSERT_EQ(S_OK, Connect(ftp, server.password));
    EXPECT_TRUE(StatusRecorder::codes.empty());
}

TEST_F(FtpConnectTest, FailedLoginLeavesTheEngineDisconnected) {
    FtpFS ftp;
    EXPECT_EQ(E_FAIL, Connect(ftp, L"not the password"));
    EXPECT_FALSE(ftp.IsConnected());
    EXPECT_EQ(E_FAIL, ftp.SetCurrentDir(L"/"));
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
    HINTERNET file = engine.OpenRemoteFile(L"a file", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY);
    ASSERT_NE(nullptr, file);
    char back[8] = {};
    DWORD read = 0;
    EXPECT_TRUE(InternetReadFile(file, back, sizeof back, &read));
    EXPECT_EQ(std::string("abc"), std::string(back, read));
    EXPECT_TRUE(InternetCloseHandle(file));
    EXPECT_EQ(nullptr, engine.OpenRemoteFile(L"missing", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY));
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L".."));

    DialogDriver answerer(Pressing({IDOK}));
    EXPECT_EQ(S_OK, engine.DeleteRemoteTree(L"engine tree"));
    EXPECT_EQ(0, answerer.Count()) << answerer.LastText();
    EXPECT_EQ(E_FAIL, engine.SetCurrentDir(L"engine tree"));
}

}  // namespace
