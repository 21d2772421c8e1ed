#include <algorithm>
#include <thread>

#include "ftp/ServerReason.h"
#include "ftp/SftpFS.h"
#include "ftp/TransferHarness.h"
#include "settings/TrustedHostKeys.h"
#include "support/ScratchKey.h"
#include "support/SftpFixture.h"

namespace {

std::vector<WIN32_FIND_DATAW> Listed(RemoteFS& engine) {
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW data;
    for (HRESULT found = engine.FindFirst(&data); found == S_OK; found = engine.FindNext(&data))
        entries.push_back(data);
    return entries;
}

const WIN32_FIND_DATAW* Find(const std::vector<WIN32_FIND_DATAW>& entries, const wchar_t* name) {
    for (const WIN32_FIND_DATAW& entry : entries)
        if (wcscmp(entry.cFileName, name) == 0) return &entry;
    return nullptr;
}

// The transfer harness (a recorder for the workers, a local scratch folder)
// with an SFTP engine logged in to the fixture's sshd, whose host key this
// test's registry trusts, in a folder of the test's own.
class SftpFSTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        ASSERT_TRUE(sftp.Load()) << kFixtureMissing;
        app.registry.SetMakerKey(L"CorvaneTest");
        app.registry.SetProductKey(L"SftpTrust");
        ASSERT_TRUE(app.registry.Open());
        host = Widen(sftp.host);
        root = Widen(sftp.root);
        Trust(sftp.port);
        ASSERT_EQ(S_OK, LogIn(sftpEngine)) << TakeServerReason();
        folder = root + L"/" + TestFolderName();
        sftpEngine.CreateRemoteDir(folder.c_str());
        ASSERT_EQ(S_OK, sftpEngine.SetCurrentDir(folder.c_str()));
    }

    void Trust(INTERNET_PORT port) {
        TrustedHostKeys::Trust(app.registry, host.c_str(), port,
                               Widen(sftp.ed25519HostKey).c_str());
    }
    HRESULT LogIn(SftpFS& engine, const std::string& password, INTERNET_PORT port = 0) {
        return engine.Connect(host.c_str(), Widen(sftp.user).c_str(), Widen(password).c_str(),
                              port ? port : sftp.port);
    }
    HRESULT LogIn(SftpFS& engine) { return LogIn(engine, sftp.password); }
    // A file of the test's folder as the server's disk holds it.
    std::wstring Served(const std::wstring& name) {
        return WinePath(sftp.root) + L"\\" + TestFolderName() + L"\\" + name;
    }

    ScratchKey key{L"Software\\CorvaneTest\\SftpTrust"};
    SftpFixtureServer sftp;
    std::wstring host, root, folder;
    SftpFS sftpEngine;
};

// A cut reaches a login still under way, as a run's end or a cancel cuts its
// extra connections that are still logging in.
TEST_F(SftpFSTest, ACutEndsALoginTheServerLeavesUnanswered) {
    const INTERNET_PORT silent = FixturePort("CORVANE_SFTP_SILENT_PORT");
    SftpFS waiting;
    HRESULT result = S_OK;
    std::thread login([&] { result = LogIn(waiting, sftp.password, silent); });
    Sleep(500);  // now waiting for the server's greeting
    DWORD cut = GetTickCount();
    waiting.CutConnection();
    login.join();
    EXPECT_LT(GetTickCount() - cut, 5000u);  // the login's own wait is 10 s
    EXPECT_EQ(E_FAIL, result);
}

}  // namespace

// Nothing of the user goes to a server whose key is neither trusted nor
// accepted, and with no one to ask (a later login) none is accepted; a
// refused login or key says why.
TEST_F(SftpFSTest, LogsInOnlyPastATrustedKeyAndSaysWhyALoginFails) {
    TrustedHostKeys::Trust(app.registry, host.c_str(), sftp.port, L"SHA256:someone-else");
    SftpFS stranger;
    EXPECT_NE(S_OK, LogIn(stranger));
    EXPECT_NE(std::wstring::npos, TakeServerReason().find(L"host key"));
    EXPECT_TRUE(stranger.LoginDeclined());
    EXPECT_FALSE(stranger.IsConnected());
    Trust(sftp.port);

    const struct {
        const char* name;
        std::wstring keyFile;
        std::string password;
        const wchar_t* reason;  // empty: the login succeeds
    } cases[] = {
        {"password", L"", sftp.password, L""},
        {"wrong password", L"", "wrong", L"access denied"},
        // The server refuses SHA-1 signatures: this passes only with rsa-sha2.
        {"RSA key", WinePath(sftp.rsaKey), "", L""},
        {"key locked, no one to ask", WinePath(sftp.ecdsaKey), "", L"needs a passphrase"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SftpFS engine(c.keyFile);
        HRESULT result = LogIn(engine, c.password);
        std::wstring reason = TakeServerReason();
        EXPECT_EQ(c.reason[0] == L'\0', result == S_OK) << reason;
        EXPECT_NE(std::wstring::npos, reason.find(c.reason)) << reason;
        EXPECT_FALSE(engine.LoginDeclined());
        EXPECT_EQ(result == S_OK ? 0 : DWORD(ERROR_INTERNET_LOGIN_FAILURE), engine.ConnectError());
    }
}

// Sizes, times (UTC, to the second), odd names and links as they are listed;
// a link to a folder opens like one, at the folder it leads to.
TEST_F(SftpFSTest, ListsSizesTimesOddNamesAndLinks) {
    ASSERT_EQ(S_OK, sftpEngine.SetCurrentDir((root + L"/listing").c_str()));
    std::vector<WIN32_FIND_DATAW> entries = Listed(sftpEngine);
    EXPECT_EQ(5u, entries.size());
    const struct {
        const wchar_t* name;
        DWORD size, attributes;
    } expected[] = {
        {L"name with blanks.txt", 5, FILE_ATTRIBUTE_NORMAL},
        {L"gr\u00fc\u00dfe \u65e5\u672c.txt", 7, FILE_ATTRIBUTE_NORMAL},
        {L"new\nline", 9, FILE_ATTRIBUTE_NORMAL},
        {L"link to file", 5, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_REPARSE_POINT},
        {L"sub folder", 0, FILE_ATTRIBUTE_DIRECTORY},
    };
    const uint64_t stamp = FileTimeOf(2021, 3, 4, 5, 6) + 7 * 10000000ULL;  // and 7 seconds
    for (const auto& e : expected) {
        const WIN32_FIND_DATAW* entry = Find(entries, e.name);
        ASSERT_TRUE(entry) << e.name;
        EXPECT_EQ(e.attributes, entry->dwFileAttributes) << e.name;
        EXPECT_TRUE((e.attributes & FILE_ATTRIBUTE_DIRECTORY) || e.size == entry->nFileSizeLow)
            << e.name;
        KnownTime time = sftpEngine.ListedTime(*entry);
        EXPECT_TRUE(time.exact && time.comparable) << e.name;
        EXPECT_EQ(stamp, time.utc) << e.name;
    }
    EXPECT_NE(S_OK, sftpEngine.SetCurrentDir(L"name with blanks.txt"));
    EXPECT_NE(std::wstring::npos, TakeServerReason().find(L"Not a folder"));

    ASSERT_EQ(S_OK, sftpEngine.SetCurrentDir(L"../links"));
    const WIN32_FIND_DATAW* toFolder = Find(Listed(sftpEngine), L"to folder");
    ASSERT_TRUE(toFolder);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              toFolder->dwFileAttributes);
    ASSERT_EQ(S_OK, sftpEngine.SetCurrentDir(L"to folder"));
    wchar_t path[512];
    DWORD length = 512;
    ASSERT_EQ(S_OK, sftpEngine.GetCurrentDir(path, &length));
    EXPECT_EQ(root + L"/listing/sub folder", path);
}

// A tree goes up and comes down again through the same workers as over FTP:
// every byte, the names and the files' times.
TEST_F(SftpFSTest, ATreeGoesUpAndComesDownByteForByteWithItsTimes) {
    const std::string big = TestBytes(300 * 1024 + 17, 1);
    const std::pair<std::wstring, std::string> files[] = {
        {L"up\\big.bin", big},
        {L"up\\empty", ""},
        {L"up\\sub\\with blanks.txt", "blanks"},
        {L"up\\sub\\gr\u00fc\u00dfe.txt", "utf-8"},
    };
    for (const auto& [name, bytes] : files) WriteBytes(Local(name), bytes);
    KnownTime bigTime = LocalTimeOf(Local(L"up\\big.bin").c_str());

    ASSERT_EQ(S_OK, Transfer(true, {L"Dup"}, L"", &sftpEngine));
    EXPECT_EQ(0u, recorder.LastProgress(WM_APP_UPLOAD_PROGRESS).failures.files);
    for (const auto& [name, bytes] : files) EXPECT_EQ(bytes, ReadBytes(Served(name))) << name;
    EXPECT_EQ(bigTime.utc / 10000000, sftpEngine.ServerFileTime(L"up/big.bin").utc / 10000000);

    local.MakeFolder(L"down");
    ASSERT_EQ(S_OK, Transfer(false, {L"Dup"}, Local(L"down"), &sftpEngine));
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(bytes, ReadBytes(Local(L"down\\" + name))) << name;
    EXPECT_EQ(bigTime.utc / 10000000,
              LocalTimeOf(Local(L"down\\up\\big.bin").c_str()).utc / 10000000);
}

// A caller's blocks reach the server whole and in order, however a file's
// size falls on the session's 64 KiB requests and the 256 KiB writes small
// blocks are gathered into: blocks of 5 KiB each, and 256 KiB blocks (sent
// without gathering when nothing is gathered) between blocks of 5 KiB.
TEST_F(SftpFSTest, BlocksArriveWholeAroundEveryRequestBoundary) {
    const size_t kCopyBlock = 5120, kRequest = 64 * 1024, kGather = 256 * 1024;
    const std::vector<size_t> cycles[] = {{kCopyBlock}, {kGather, kCopyBlock}};
    for (const std::vector<size_t>& cycle : cycles) {
        for (size_t size : {size_t(1), kCopyBlock, kRequest + 1, kGather - 1, kGather, kGather + 1,
                            2 * kGather + kCopyBlock + 3}) {
            const std::string bytes = TestBytes(size, static_cast<unsigned>(size));
            std::wstring name = L"blocks-" + std::to_wstring(size);
            RemoteFileHandle file =
                sftpEngine.OpenRemoteFile(name.c_str(), GENERIC_WRITE, 0, 0, nullptr);
            ASSERT_TRUE(file) << size;
            for (size_t at = 0, i = 0; at < size; at += cycle[i++ % cycle.size()]) {
                size_t block = std::min(cycle[i % cycle.size()], size - at);
                ASSERT_TRUE(file->Write(&bytes[at], DWORD(block)));
            }
            ASSERT_TRUE(file->Close()) << size;
            // Compared whole: a difference would print megabytes.
            EXPECT_TRUE(bytes == ReadBytes(Served(name))) << size << " in blocks of " << cycle[0];
        }
    }
}

// Rename replaces a file of the new name; a tree goes whole; a folder the user
// may not read fails alone while the rest of the run goes on.
TEST_F(SftpFSTest, RenameReplacesTreesDeleteAndAForbiddenFolderFailsAlone) {
    for (const char* name : {"old", "new"}) WriteBytes(Served(Widen(name)), name);
    ASSERT_EQ(S_OK, sftpEngine.RenameRemote(L"old", L"new"));
    EXPECT_EQ("old", ReadBytes(Served(L"new")));
    ASSERT_TRUE(sftpEngine.CreateRemoteDir(L"tree") && sftpEngine.CreateRemoteDir(L"tree/deep"));
    ASSERT_TRUE(sftpEngine.OpenRemoteFile(L"tree/deep/file", GENERIC_WRITE, 0, 0, nullptr));
    EXPECT_EQ(S_OK, sftpEngine.DeleteRemoteTree(L"tree"));
    std::vector<WIN32_FIND_DATAW> left = Listed(sftpEngine);
    ASSERT_EQ(1u, left.size());
    EXPECT_STREQ(L"new", left[0].cFileName);

    ASSERT_EQ(S_OK, sftpEngine.SetCurrentDir(root.c_str()));
    local.MakeFolder(L"got");
    ASSERT_EQ(S_OK, Transfer(false, {L"Dforbidden", L"Dlisting"}, Local(L"got"), &sftpEngine));
    const auto& end = recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS);
    EXPECT_EQ(1u, end.failures.folders);
    EXPECT_EQ(0u, end.failures.files);
    EXPECT_EQ("two lines", ReadBytes(Local(L"got\\listing\\new%0Aline")));
    EXPECT_EQ("hello", ReadBytes(Local(L"got\\listing\\link to file")));
}

// A download that the server stopped feeding (after each connection's first
// 4 MiB) ends at once on Cancel, through the session's cut, well within its
// own 10 s wait; the engine logs in again for the view.
TEST_F(SftpFSTest, CancelEndsAStalledDownloadAtOnce) {
    WriteBytes(Served(L"large"), std::string(8 << 20, 'x'));
    INTERNET_PORT port = FixturePort("CORVANE_SFTP_STALLS_PORT");
    Trust(port);
    SftpFS stalled;
    ASSERT_EQ(S_OK, LogIn(stalled, sftp.password, port));
    ASSERT_EQ(S_OK, stalled.SetCurrentDir(folder.c_str()));
    ASSERT_EQ(S_OK, Start(false, {L"Flarge"}, local.Path(), &stalled));
    ASSERT_TRUE(PumpUntil(
        [&] { return recorder.LastProgress(WM_APP_DOWNLOAD_PROGRESS).totalBytes >= 3u << 20; }));
    PumpFor(500);
    DWORD cancelled = GetTickCount();
    ASSERT_EQ(S_OK, stalled.CancelDownload());
    ASSERT_TRUE(PumpUntil([&] { return !stalled.IsBusy(); }));
    EXPECT_LT(GetTickCount() - cancelled, 5000u);
    EXPECT_TRUE(stalled.IsConnected());
}
