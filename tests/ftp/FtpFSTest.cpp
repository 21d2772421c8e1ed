#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/FtpClientApp.h"
#include "ftp/FtpFS.h"
#include "ftp/RemoteTreeDelete.h"
#include "EngineTestSupport.h"

namespace {

// The engine reads passive mode through the application object.
class FtpFSTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server.Load()) GTEST_SKIP() << "no test FTP server (start it with scripts/test.sh)";
        folder = server.MakeFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_EQ(S_OK, Connect(engine));
        ASSERT_EQ(S_OK, engine.SetCurrentDir(folder.remote.c_str()));
    }

    HRESULT Connect(FtpFS& ftp, const wchar_t* password = nullptr) {
        return ftp.Connect(server.host.c_str(), server.user.c_str(),
                           password ? password : server.password.c_str(), server.port);
    }

    std::wstring CurrentDir() {
        wchar_t path[512];
        DWORD length = 512;
        EXPECT_EQ(S_OK, engine.GetCurrentDir(path, &length));
        return path;
    }

    FtpClientApp app;
    TestFtpServer server;
    ServerFolder folder;
    FtpFS engine;
};

TEST_F(FtpFSTest, ListsNamesWithBlanksAndNonAsciiLetters) {
    const std::vector<std::wstring> names = {L"dir with space", L"plain", L"caf\u00e9 \u65e5\u672c",
                                             L" leading blank", L"trailing blank "};
    for (const std::wstring& name : names) server.WriteFile(folder, name, 3);
    server.MakeFolder(folder, L"sub folder");

    std::vector<std::wstring> listed = ListNames(engine);
    for (const std::wstring& name : names) EXPECT_TRUE(Contains(listed, name)) << name;
    EXPECT_TRUE(Contains(listed, L"sub folder"));
    EXPECT_EQ(names.size() + 1, listed.size());
}

TEST_F(FtpFSTest, ListingMarksFoldersAndSizes) {
    server.WriteFile(folder, L"five", 5121);
    server.MakeFolder(folder, L"inner");
    WIN32_FIND_DATAW data;
    ASSERT_EQ(S_OK, engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE));
    int seen = 0;
    do {
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (std::wstring(data.cFileName) == L"five") {
            EXPECT_FALSE(isFolder);
            EXPECT_EQ(5121u, data.nFileSizeLow);
        } else {
            EXPECT_TRUE(isFolder);
        }
        ++seen;
    } while (engine.FindNext(&data) == S_OK);
    EXPECT_EQ(2, seen);
    // The failing FindNext closed the listing already.
    EXPECT_EQ(E_FAIL, engine.FindNext(&data));
    EXPECT_EQ(S_OK, engine.FindClose());
}

TEST_F(FtpFSTest, EmptyFolderAndTenThousandFiles) {
    EXPECT_TRUE(ListNames(engine).empty());
    server.MakeFolder(folder, L"many");
    for (int i = 0; i < 10000; ++i) server.WriteFile(folder, L"many\\f" + std::to_wstring(i), 0);
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L"many"));
    std::vector<std::wstring> listed = ListNames(engine);
    EXPECT_EQ(10000u, listed.size());
    EXPECT_TRUE(Contains(listed, L"f9999"));
}

TEST_F(FtpFSTest, ChangesDirectoryByNameParentRootAndAbsolutePath) {
    server.MakeFolder(folder, L"a");
    server.MakeFolder(folder, L"a\\b c");
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L"a"));
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L"b c"));
    EXPECT_EQ(folder.remote + L"/a/b c", CurrentDir());
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L".."));
    EXPECT_EQ(folder.remote + L"/a", CurrentDir());
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L"/"));
    EXPECT_EQ(L"/", CurrentDir());
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L".."));  // the root's parent is the root
    EXPECT_EQ(L"/", CurrentDir());
    ASSERT_EQ(S_OK, engine.SetCurrentDir((folder.remote + L"/a/b c").c_str()));
    EXPECT_EQ(folder.remote + L"/a/b c", CurrentDir());
    EXPECT_EQ(E_FAIL, engine.SetCurrentDir(L"missing"));
    EXPECT_EQ(folder.remote + L"/a/b c", CurrentDir());
}

TEST_F(FtpFSTest, MakesAndDeletesEntries) {
    EXPECT_TRUE(engine.CreateRemoteDir(L"new folder"));
    EXPECT_FALSE(engine.CreateRemoteDir(L"new folder"));
    EXPECT_TRUE(server.IsFolder(folder, L"new folder"));

    server.WriteFile(folder, L"doomed file", 10);
    EXPECT_EQ(10u, engine.RemoteFileSize(L"doomed file"));
    EXPECT_EQ(0u, engine.RemoteFileSize(L"no such file"));
    EXPECT_EQ(S_OK, engine.DeleteRemoteFile(L"doomed file"));
    EXPECT_FALSE(server.Exists(folder, L"doomed file"));
    EXPECT_EQ(E_FAIL, engine.DeleteRemoteFile(L"doomed file"));
}

TEST_F(FtpFSTest, NamesThatWouldInjectCommandsAreRefused) {
    server.WriteFile(folder, L"victim", 1);
    EXPECT_FALSE(engine.CreateRemoteDir(L"x\r\nDELE victim"));
    EXPECT_TRUE(server.Exists(folder, L"victim"));
}

TEST_F(FtpFSTest, TreeDeleteRemovesEverythingAndReturnsToStart) {
    server.MakeFolder(folder, L"tree");
    server.MakeFolder(folder, L"tree\\A");
    server.MakeFolder(folder, L"tree\\B b");
    server.MakeFolder(folder, L"tree\\B b\\deep");
    server.MakeFolder(folder, L"tree\\empty");
    server.WriteFile(folder, L"tree\\top", 5);
    server.WriteFile(folder, L"tree\\A\\one", 5120);
    server.WriteFile(folder, L"tree\\B b\\deep\\two three", 0);
    std::wstring start = CurrentDir();

    RemoteTreeDelete walk(engine);
    walk.Run(L"tree");
    EXPECT_EQ(0u, walk.FilesNotDeleted());
    EXPECT_EQ(0u, walk.FoldersNotDeleted());
    EXPECT_FALSE(server.Exists(folder, L"tree"));
    EXPECT_EQ(start, CurrentDir());
}

TEST_F(FtpFSTest, TreeDeleteCountsWhatTheServerRefuses) {
    server.MakeFolder(folder, L"tree");
    server.MakeFolder(folder, L"tree\\keep");
    server.MakeFolder(folder, L"tree\\gone");
    server.WriteFile(folder, L"tree\\keep\\undeletable.txt", 4);
    server.WriteFile(folder, L"tree\\keep\\ordinary", 4);
    server.WriteFile(folder, L"tree\\gone\\ordinary", 4);
    std::wstring start = CurrentDir();

    RemoteTreeDelete walk(engine);
    walk.Run(L"tree");
    // The refused file keeps its folder and the folder above it.
    EXPECT_EQ(1u, walk.FilesNotDeleted());
    EXPECT_EQ(2u, walk.FoldersNotDeleted());
    EXPECT_TRUE(server.Exists(folder, L"tree\\keep\\undeletable.txt"));
    EXPECT_FALSE(server.Exists(folder, L"tree\\keep\\ordinary"));
    EXPECT_FALSE(server.Exists(folder, L"tree\\gone"));
    EXPECT_EQ(start, CurrentDir());
}

TEST_F(FtpFSTest, TreeDeleteReportsCountsInOneMessage) {
    server.MakeFolder(folder, L"tree");
    server.WriteFile(folder, L"tree\\undeletable", 1);
    std::wstring text =
        CaptureMessageBox([&] { EXPECT_EQ(S_OK, engine.DeleteRemoteTree(L"tree")); });
    EXPECT_EQ(L"1 files and 1 directories were not deleted\n", text);
}

TEST_F(FtpFSTest, TreeDeleteOfMissingFolderTouchesNothingElse) {
    server.WriteFile(folder, L"bystander", 1);
    std::wstring start = CurrentDir();
    RemoteTreeDelete walk(engine);
    walk.Run(L"missing");
    EXPECT_EQ(1u, walk.FoldersNotDeleted());
    EXPECT_TRUE(server.Exists(folder, L"bystander"));
    EXPECT_EQ(start, CurrentDir());

    RemoteTreeDelete escape(engine);
    escape.Run(L"..");
    EXPECT_EQ(1u, escape.FoldersNotDeleted());
    EXPECT_EQ(start, CurrentDir());
}

TEST_F(FtpFSTest, EnginesShareOneSessionAndReopenItAfterTheLast) {
    {
        FtpFS second;
        ASSERT_EQ(S_OK, Connect(second));
        EXPECT_EQ(S_OK, second.SetCurrentDir(folder.remote.c_str()));
        EXPECT_TRUE(ListNames(engine).empty());
    }
    // The first engine still works after the second one has gone.
    EXPECT_TRUE(ListNames(engine).empty());
}

TEST_F(FtpFSTest, LocalFileExistsOnlyForFilesItCanOpen) {
    std::wstring path = server.LocalPath(folder, L"local");
    server.WriteFile(folder, L"local", 1);
    EXPECT_TRUE(FtpFS::LocalFileExists(path.c_str()));
    EXPECT_FALSE(FtpFS::LocalFileExists((path + L"-missing").c_str()));
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(FtpFS::LocalFileExists(path.c_str()));
    CloseHandle(held);
}

// Connecting: statuses and failures, each on a fresh engine.
class FtpConnectTest : public FtpFSTest {
  protected:
    void SetUp() override {
        if (!server.Load()) GTEST_SKIP() << "no test FTP server (start it with scripts/test.sh)";
    }
};

TEST_F(FtpConnectTest, ReportsResolvingConnectingConnectedInOrderThenNothing) {
    StatusRecorder recorder;
    FtpFS ftp;
    ftp.SetStatusWindow(recorder.Window());
    ASSERT_EQ(S_OK, Connect(ftp));
    EXPECT_TRUE(IsInOrder(recorder.codes,
                          {INTERNET_STATUS_RESOLVING_NAME, INTERNET_STATUS_CONNECTING_TO_SERVER,
                           INTERNET_STATUS_CONNECTED_TO_SERVER}));
    recorder.codes.clear();
    ListNames(ftp);
    ASSERT_EQ(S_OK, ftp.SetCurrentDir(L"/"));
    EXPECT_TRUE(recorder.codes.empty());
}

TEST_F(FtpConnectTest, FailuresReturnPromptly) {
    FtpFS wrongPassword;
    EXPECT_EQ(E_FAIL, Connect(wrongPassword, L"not the password"));
    EXPECT_FALSE(wrongPassword.IsConnected());

    FtpFS unknownHost;
    EXPECT_EQ(E_FAIL, unknownHost.Connect(L"no-such-host.invalid", L"u", L"p", 21));

    FtpFS closedPort;
    EXPECT_EQ(E_FAIL, closedPort.Connect(L"127.0.0.1", L"u", L"p", UnusedLocalPort()));
}

TEST_F(FtpConnectTest, PassiveModeFromTheOptionsStillLists) {
    app.options.SetUsePassive(true);
    FtpFS ftp;
    ASSERT_EQ(S_OK, Connect(ftp));
    EXPECT_EQ(S_OK, ftp.SetCurrentDir(L"/"));
    WIN32_FIND_DATAW data;
    ftp.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
    EXPECT_EQ(S_OK, ftp.FindClose());
}

}  // namespace

namespace {

std::string ReadRemote(FtpFS& engine, const wchar_t* name) {
    std::string data;
    HINTERNET file = engine.OpenRemoteFile(name, GENERIC_READ, FTP_TRANSFER_TYPE_BINARY);
    if (!file) return "<open failed>";
    char block[5120];
    DWORD got = 0;
    while (InternetReadFile(file, block, sizeof block, &got) && got > 0) data.append(block, got);
    InternetCloseHandle(file);
    return data;
}

bool WriteRemote(FtpFS& engine, const wchar_t* name, const std::string& data) {
    HINTERNET file = engine.OpenRemoteFile(name, GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY);
    if (!file) return false;
    for (size_t offset = 0; offset < data.size(); offset += 5120) {
        DWORD size = static_cast<DWORD>(std::min<size_t>(5120, data.size() - offset));
        DWORD written = 0;
        if (!InternetWriteFile(file, data.data() + offset, size, &written) || written != size)
            return false;
    }
    return InternetCloseHandle(file) != FALSE;
}

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 31 + i / 5120) & 0xFF);
    return data;
}

class FtpTransferTest : public FtpFSTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FtpTransferTest, FilesRoundTripByteIdentical) {
    app.options.SetUsePassive(GetParam());
    FtpFS ftp;
    ASSERT_EQ(S_OK, Connect(ftp));
    ASSERT_EQ(S_OK, ftp.SetCurrentDir(folder.remote.c_str()));
    for (size_t size : {0, 5120, 5121, 3 * 1024 * 1024 + 7}) {
        std::string data = Pattern(size);
        std::wstring name = L"round trip " + std::to_wstring(size);
        ASSERT_TRUE(WriteRemote(ftp, name.c_str(), data)) << size;
        EXPECT_EQ(size, ftp.RemoteFileSize(name.c_str()));
        EXPECT_TRUE(ReadRemote(ftp, name.c_str()) == data) << size;
    }
    EXPECT_EQ(nullptr, ftp.OpenRemoteFile(L"missing", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY));
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, FtpTransferTest, ::testing::Bool());

}  // namespace
