#include "ssh/SftpSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "support/FtpFixture.h"
#include "support/SftpFixture.h"

namespace {

constexpr int kNoSuchFile = 2, kPermissionDenied = 3;  // SFTP status codes

std::string RandomBytes(size_t size, unsigned seed) {
    std::string data(size, '\0');
    std::mt19937 random(seed);
    for (char& byte : data) byte = static_cast<char>(random());
    return data;
}

// Through the block calls, as the engine's copy loop moves a file.
bool Put(SftpSession& session, const std::string& path, const std::string& data,
         uint64_t offset = 0, size_t block = 256 * 1024) {
    if (!session.OpenWrite(path, offset)) return false;
    bool ok = true;
    for (size_t at = offset; ok && at < data.size(); at += block)
        ok = session.Write(data.data() + at, std::min(block, data.size() - at));
    return session.CloseFile() && ok;
}

bool Get(SftpSession& session, const std::string& path, std::string& data, uint64_t offset = 0,
         size_t block = 256 * 1024, uint64_t listedSize = 0) {
    data.clear();
    if (!session.OpenRead(path, offset, listedSize)) return false;
    std::vector<char> buffer(block);
    size_t got = 0;
    bool ok;
    while ((ok = session.Read(buffer.data(), block, &got)) && got > 0)
        data.append(buffer.data(), got);
    return session.CloseFile() && ok;
}

class SftpSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Load()) << "the SFTP fixture is not running: " << kFixtureMissing;
    }

    // Connects, accepting (and recording) the host key.
    bool Connect(SftpSession& session, uint16_t port = 0) {
        return session.Connect(server.host, port ? port : server.port,
                               [this](const SshHostKey& key) {
                                   shownKeys.push_back(key);
                                   return true;
                               });
    }

    bool LogIn(SftpSession& session) {
        return Connect(session) && session.LoginPassword(server.user, server.password);
    }

    SftpFixtureServer server;
    std::vector<SshHostKey> shownKeys;
};

// Each login kind after the host key, on curve25519; a refused login or server says why.
TEST_F(SftpSessionTest, EachLoginKindAfterTheHostKeyAndRefusalsSayWhy) {
    enum Kind { kPassword, kInteractive, kKey };
    const struct {
        const char* name;
        Kind kind;
        std::string key, secret;  // the key file's Linux path; the password or passphrase
        const char* reason = "";  // empty: the login succeeds
        bool keyLocked = false;
        uint16_t port = 0;
    } cases[] = {
        {"password", kPassword, "", server.password},
        {"keyboard-interactive", kInteractive, "", server.password},
        {"ed25519 key", kKey, server.ed25519Key, ""},
        {"ECDSA key with passphrase", kKey, server.ecdsaKey, server.ecdsaPassphrase},
        // The server refuses SHA-1 signatures: this passes only with rsa-sha2.
        {"RSA key", kKey, server.rsaKey, ""},
        {"wrong password", kPassword, "", "wrong", "access denied"},
        {"wrong passphrase", kKey, server.ecdsaKey, "wrong", "passphrase is wrong", true},
        {"passphrase missing", kKey, server.ecdsaKey, "", "needs a passphrase", true},
        {"closes in the key exchange", kPassword, "", "", "Can't connect", false,
         server.closesInKexPort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SftpSession session;
        shownKeys.clear();
        bool connected = Connect(session, c.port);
        if (c.port) {
            EXPECT_FALSE(connected);
        } else {
            ASSERT_TRUE(connected) << session.LastError().message;
            ASSERT_EQ(shownKeys.size(), 1u);
            EXPECT_EQ(shownKeys[0].type, "ssh-ed25519");
            EXPECT_EQ(shownKeys[0].fingerprint, server.ed25519HostKey);
            EXPECT_EQ(session.KeyExchange().rfind("curve25519-sha256", 0), 0u)
                << session.KeyExchange();
            bool in = c.kind == kKey ? session.LoginKeyFile(server.user, WinePath(c.key), c.secret)
                      : c.kind == kInteractive
                          ? session.LoginKeyboardInteractive(server.user, c.secret)
                          : session.LoginPassword(server.user, c.secret);
            EXPECT_EQ(*c.reason == '\0', in) << session.LastError().message;
        }
        std::vector<SftpEntry> entries;
        if (*c.reason == '\0') {
            EXPECT_TRUE(session.List(server.root + "/listing", entries))
                << session.LastError().message;
            continue;
        }
        EXPECT_NE(session.LastError().message.find(c.reason), std::string::npos)
            << session.LastError().message;
        EXPECT_EQ(c.keyLocked, session.LastError().keyLocked);
    }
}

TEST_F(SftpSessionTest, RefusedHostKeyEndsTheConnection) {
    SftpSession session;
    ASSERT_FALSE(
        session.Connect(server.host, server.port, [](const SshHostKey&) { return false; }));
    EXPECT_NE(session.LastError().message.find("host key"), std::string::npos);
    EXPECT_FALSE(session.LoginPassword(server.user, server.password));
}

TEST_F(SftpSessionTest, RefusalsKeepTheirStatusAndLeaveTheSessionUsable) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    const std::string root = server.root, listing = root + "/listing";
    SftpEntry entry;
    std::vector<SftpEntry> entries;
    std::string absolute;
    const struct {
        const char* name;
        std::function<bool()> call;
        int code;
        const char* text;
    } cases[] = {
        {"list a missing folder", [&] { return session.List(root + "/missing", entries); },
         kNoSuchFile, "Can't list the folder: no such file"},
        {"list a forbidden folder", [&] { return session.List(root + "/forbidden", entries); },
         kPermissionDenied, "permission denied"},
        {"stat a missing file", [&] { return session.Stat(root + "/missing", entry); }, kNoSuchFile,
         "no such file"},
        {"real path of a missing one",
         [&] { return session.RealPath(root + "/missing/x", absolute); }, kNoSuchFile, ""},
        {"open a missing file", [&] { return session.OpenRead(root + "/missing", 0); }, kNoSuchFile,
         "Can't open the file: no such file"},
        {"write in a read-only folder", [&] { return session.OpenWrite(listing + "/new", 0); },
         kPermissionDenied, "Can't create the file: permission denied"},
        {"make a folder there", [&] { return session.MakeFolder(listing + "/new"); },
         kPermissionDenied, "Can't make the folder"},
        {"remove a file there",
         [&] { return session.RemoveFile(listing + "/name with blanks.txt"); }, kPermissionDenied,
         "Can't remove the file"},
        {"remove a missing folder", [&] { return session.RemoveFolder(root + "/missing"); },
         kNoSuchFile, "Can't remove the folder"},
        {"rename a missing file",
         [&] { return session.Rename(root + "/missing", root + "/other"); }, kNoSuchFile,
         "Can't rename"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.call());
        EXPECT_TRUE(session.LastError().sftp);
        EXPECT_EQ(session.LastError().code, c.code);
        EXPECT_NE(session.LastError().message.find(c.text), std::string::npos)
            << session.LastError().message;
        EXPECT_FALSE(session.ConnectionLost());
        EXPECT_TRUE(session.List(listing, entries)) << "the session stays usable";
    }
}

TEST_F(SftpSessionTest, FolderRenameTimeAndRemoveOnTheServer) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    std::string login;
    ASSERT_TRUE(session.RealPath(".", login)) << session.LastError().message;
    EXPECT_EQ(login, server.root) << "the login folder";
    const std::string folder = server.root + "/made here", a = folder + "/a", b = folder + "/b";
    ASSERT_TRUE(session.MakeFolder(folder)) << session.LastError().message;
    ASSERT_TRUE(Put(session, a, "first") && Put(session, b, "second, longer"))
        << session.LastError().message;
    ASSERT_TRUE(session.Rename(a, b)) << "replaces: " << session.LastError().message;
    SftpEntry entry;
    ASSERT_TRUE(session.Stat(b, entry));
    EXPECT_EQ(entry.name, "b");
    EXPECT_EQ(entry.size, 5u);
    EXPECT_FALSE(session.Stat(a, entry));
    // A time is not waited for: it is set by the next call, a refusal stays untold and
    // later calls are in step, and a time sent just before the session closes is still set.
    ASSERT_TRUE(session.SetModifiedUnanswered(b, 1600000000)) << session.LastError().message;
    ASSERT_TRUE(session.Stat(b, entry));
    EXPECT_EQ(entry.modified, 1600000000);
    EXPECT_TRUE(session.SetModifiedUnanswered(folder + "/missing", 1));
    ASSERT_TRUE(session.Stat(b, entry)) << session.LastError().message;
    EXPECT_TRUE(session.SetModifiedUnanswered(b, 1500000000));
    session.Close();
    ASSERT_TRUE(LogIn(session) && session.Stat(b, entry)) << session.LastError().message;
    EXPECT_EQ(entry.modified, 1500000000);
    ASSERT_TRUE(session.Stat(folder + "/", entry));
    EXPECT_TRUE(entry.folder);
    EXPECT_EQ(entry.name, "made here");
    EXPECT_FALSE(session.RemoveFolder(folder)) << "not empty";
    EXPECT_TRUE(session.RemoveFile(b) && session.RemoveFolder(folder))
        << session.LastError().message;
    EXPECT_FALSE(session.Stat(folder, entry));
    EXPECT_EQ(session.LastError().code, kNoSuchFile);
}

TEST_F(SftpSessionTest, LinksSayWhereTheyLeadAndRemoveOnlyThemselves) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    const std::string links = server.root + "/links";
    std::vector<SftpEntry> entries;
    ASSERT_TRUE(session.List(links, entries)) << session.LastError().message;
    std::sort(entries.begin(), entries.end(),
              [](const SftpEntry& x, const SftpEntry& y) { return x.name < y.name; });
    const struct {
        const char* name;
        bool linkToFolder;
    } expected[] = {{"dangling", false}, {"to file", false}, {"to folder", true}};
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(entries[i].name, expected[i].name);
        EXPECT_TRUE(entries[i].link);
        EXPECT_FALSE(entries[i].folder);
        EXPECT_EQ(entries[i].linkToFolder, expected[i].linkToFolder);
    }
    SftpEntry entry;
    ASSERT_TRUE(session.Stat(links + "/to folder", entry)) << "follows the link";
    EXPECT_TRUE(entry.folder && !entry.link);
    EXPECT_EQ(entry.name, "to folder");
    ASSERT_TRUE(session.RemoveFile(links + "/to file")) << session.LastError().message;
    EXPECT_TRUE(session.Stat(server.root + "/listing/name with blanks.txt", entry))
        << "the link's target stays";
    ASSERT_TRUE(session.List(links, entries));
    EXPECT_EQ(entries.size(), 2u);
}

TEST_F(SftpSessionTest, BlocksOfAnySizeFromAnyOffset) {
    const std::string data = RandomBytes(3 * 1024 * 1024 + 4321, 11);
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    const std::string path = server.root + "/blocks.bin";
    const struct {
        size_t block;
        uint64_t offset;
    } cases[] = {{1000, 0},
                 {65536, 12345},
                 {256 * 1024 + 7, 1},
                 {4 << 20, 3 * 1024 * 1024},
                 {4096, data.size()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.block << " from " << c.offset);
        ASSERT_TRUE(Put(session, path, data.substr(0, c.offset))) << "the part before";
        ASSERT_TRUE(Put(session, path, data, c.offset, c.block)) << session.LastError().message;
        std::string read;
        ASSERT_TRUE(Get(session, path, read, c.offset, c.block)) << session.LastError().message;
        EXPECT_TRUE(read == data.substr(c.offset)) << read.size() << " bytes";
    }
    // A read left early drops what is on the way; the next call is in step.
    ASSERT_TRUE(session.OpenRead(path, 0));
    char piece[100];
    size_t got = 0;
    ASSERT_TRUE(session.Read(piece, sizeof piece, &got));
    EXPECT_TRUE(got == sizeof piece && memcmp(piece, data.data(), got) == 0);
    EXPECT_TRUE(session.CloseFile());
    SftpEntry entry;
    ASSERT_TRUE(session.Stat(path, entry)) << session.LastError().message;
    EXPECT_EQ(entry.size, data.size());
    EXPECT_TRUE(session.RemoveFile(path));
}

// The listed size only shapes the first requests: a file that changed since reads as it is now.
TEST_F(SftpSessionTest, ListedSizesThatNoLongerHoldStillReadTheWholeFile) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    const std::string path = server.root + "/listed.bin";
    const struct {
        size_t size;
        uint64_t listed, offset;
    } cases[] = {
        {0, 0, 0},           {1, 1, 0},          {1024, 1024, 0},         {1024, 4096, 0},
        {1024, 10, 0},       {65536, 65536, 0},  {65537, 65536, 0},       {65536, 65537, 0},
        {200000, 200000, 0}, {200000, 70000, 5}, {200000, 300000, 100000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.size << " bytes listed as " << c.listed << " from " << c.offset);
        const std::string data = RandomBytes(c.size, 7);
        ASSERT_TRUE(Put(session, path, data)) << session.LastError().message;
        std::string read;
        ASSERT_TRUE(Get(session, path, read, c.offset, 64 * 1024, c.listed))
            << session.LastError().message;
        EXPECT_TRUE(read == data.substr(c.offset)) << read.size() << " bytes";
    }
    EXPECT_TRUE(session.RemoveFile(path));
}

TEST_F(SftpSessionTest, AFileThatGrowsWhileReadReadsToAnEnd) {
    const std::string data = RandomBytes(4 * 1024 * 1024, 5);
    const size_t first = 1024 * 1024 + 999;
    const std::string path = server.root + "/growing.bin";
    SftpSession reader, writer;
    ASSERT_TRUE(LogIn(reader) && LogIn(writer));
    ASSERT_TRUE(Put(writer, path, data.substr(0, first)));
    ASSERT_TRUE(reader.OpenRead(path, 0));
    std::vector<char> buffer(64 * 1024);
    std::string read;
    size_t got = 0;
    ASSERT_TRUE(reader.Read(buffer.data(), buffer.size(), &got));
    read.append(buffer.data(), got);
    ASSERT_TRUE(Put(writer, path, data, first)) << "grows while it is read";
    while (reader.Read(buffer.data(), buffer.size(), &got) && got > 0)
        read.append(buffer.data(), got);
    EXPECT_EQ(got, 0u) << reader.LastError().message;
    EXPECT_TRUE(reader.CloseFile());
    EXPECT_GE(read.size(), first);
    EXPECT_TRUE(read == data.substr(0, read.size())) << "what it read is the file's start";
}

TEST_F(SftpSessionTest, CutReleasesACallWaitingOnAStalledServer) {
    std::string stalls, silent;
    ASSERT_TRUE(FixtureVariable("CORVANE_SFTP_STALLS_PORT", stalls) &&
                FixtureVariable("CORVANE_SFTP_SILENT_PORT", silent))
        << kFixtureMissing;
    const std::string path = server.root + "/stalls.bin";
    SftpSession direct;
    ASSERT_TRUE(LogIn(direct));
    ASSERT_TRUE(Put(direct, path, RandomBytes(8 * 1024 * 1024, 3)));
    using Call = std::function<bool(SftpSession&, std::atomic<bool> & waiting)>;
    const struct {
        const char* name;
        Call setUp, blocked;
    } cases[] = {
        // That server falls silent after each connection's first 4 MiB.
        {"a read in the middle of a file",
         [&](SftpSession& s, std::atomic<bool>&) {
             return Connect(s, static_cast<uint16_t>(atoi(stalls.c_str()))) &&
                    s.LoginPassword(server.user, server.password) && s.OpenRead(path, 0);
         },
         [](SftpSession& s, std::atomic<bool>& waiting) {
             std::vector<char> buffer(256 * 1024);
             size_t got = 0, total = 0;
             while (s.Read(buffer.data(), buffer.size(), &got) && got > 0)
                 waiting = (total += got) >= 3 * 1024 * 1024;
             return got > 0;
         }},
        {"a connect waiting for the server's greeting",
         [](SftpSession&, std::atomic<bool>&) { return true; },
         [&](SftpSession& s, std::atomic<bool>& waiting) {
             waiting = true;
             return Connect(s, static_cast<uint16_t>(atoi(silent.c_str())));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SftpSession session;
        std::atomic<bool> waiting{false}, ended{false};
        ASSERT_TRUE(c.setUp(session, waiting)) << session.LastError().message;
        bool result = true;
        std::thread call([&] {
            result = c.blocked(session, waiting);
            ended = true;
        });
        while (!waiting && !ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // now on the server
        EXPECT_FALSE(ended) << session.LastError().message;
        auto cut = std::chrono::steady_clock::now();
        session.Cut();
        call.join();
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - cut).count();
        // Well below the session's own 10 s wait, so it was the cut that ended it.
        EXPECT_LT(seconds, 5.0);
        EXPECT_FALSE(result);
        EXPECT_TRUE(session.ConnectionLost());
        EXPECT_NE(session.LastError().message.find("cut"), std::string::npos)
            << session.LastError().message;
        std::vector<SftpEntry> entries;
        EXPECT_FALSE(session.List(server.root, entries)) << "dead after the cut";
        session.Close();
    }
    EXPECT_TRUE(direct.RemoveFile(path));
}

}  // namespace
