#include "ssh/SftpSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/FtpFixture.h"
#include "support/SftpFixture.h"

namespace {

constexpr int kNoSuchFile = 2, kPermissionDenied = 3;  // SFTP status codes

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

// Each login kind after the host key, on curve25519; a refused login or server
// says why. (A wrong password, an RSA key and a refused host key run through
// SftpFSTest, as the engine tells them.)
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

TEST_F(SftpSessionTest, RefusalsKeepTheirStatusAndLeaveTheSessionUsable) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    const std::string root = server.root, listing = root + "/listing";
    SftpEntry entry;
    std::vector<SftpEntry> entries;
    std::string absolute;
    // Each call, with the status and the words its refusal must keep. (A folder
    // the user may not list fails alone in SftpFSTest's download.)
    const struct {
        std::function<bool()> call;
        int code;
        const char* text;
    } cases[] = {
        {[&] { return session.List(root + "/missing", entries); }, kNoSuchFile,
         "Can't list the folder: no such file"},
        {[&] { return session.Stat(root + "/missing", entry); }, kNoSuchFile, "no such file"},
        {[&] { return session.RealPath(root + "/missing/x", absolute); }, kNoSuchFile, ""},
        {[&] { return session.OpenRead(root + "/missing", 0); }, kNoSuchFile,
         "Can't open the file: no such file"},
        {[&] { return session.OpenWrite(listing + "/new", 0); }, kPermissionDenied,
         "Can't create the file: permission denied"},
        {[&] { return session.MakeFolder(listing + "/new"); }, kPermissionDenied,
         "Can't make the folder"},
        {[&] { return session.RemoveFile(listing + "/name with blanks.txt"); }, kPermissionDenied,
         "Can't remove the file"},
        {[&] { return session.RemoveFolder(root + "/missing"); }, kNoSuchFile,
         "Can't remove the folder"},
        {[&] { return session.Rename(root + "/missing", root + "/other"); }, kNoSuchFile,
         "Can't rename"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_FALSE(c.call());
        EXPECT_TRUE(session.LastError().sftp);
        EXPECT_EQ(session.LastError().code, c.code);
        EXPECT_NE(session.LastError().message.find(c.text), std::string::npos)
            << session.LastError().message;
        EXPECT_FALSE(session.ConnectionLost());
        EXPECT_TRUE(session.List(listing, entries)) << "the session stays usable";
    }
}

// A time is not waited for: it is set by the next call, a refusal stays untold
// and later calls are in step, and a time sent just before the session closes
// is still set. A folder named with a trailing slash is still itself, and only
// an empty one goes. (The login folder, renames and whole trees: SftpFSTest.)
TEST_F(SftpSessionTest, TimesGoUnansweredAndFoldersGoOnlyEmpty) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    const std::string folder = server.root + "/made here", b = folder + "/b";
    ASSERT_TRUE(session.MakeFolder(folder) && Put(session, b, "first"))
        << session.LastError().message;
    SftpEntry entry;
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
}

// A dangling link is still a link, to no folder; removing a link leaves what
// it leads to. (How links list and open through the engine: SftpFSTest.)
TEST_F(SftpSessionTest, LinksSayWhereTheyLeadAndRemoveOnlyThemselves) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    const std::string links = server.root + "/links";
    std::vector<SftpEntry> entries;
    ASSERT_TRUE(session.List(links, entries)) << session.LastError().message;
    std::sort(entries.begin(), entries.end(),
              [](const SftpEntry& x, const SftpEntry& y) { return x.name < y.name; });
    std::string seen;  // each name, with L for a link, F for a folder it leads to, D for a folder
    for (const SftpEntry& e : entries)
        seen += e.name + (e.link ? " L" : "") + (e.linkToFolder ? "F" : "") +
                (e.folder ? " D" : "") + "; ";
    EXPECT_EQ("dangling L; to file L; to folder LF; ", seen);
    SftpEntry entry;
    ASSERT_TRUE(session.Stat(links + "/to folder", entry)) << "follows the link";
    EXPECT_TRUE(entry.folder && !entry.link);
    ASSERT_TRUE(session.RemoveFile(links + "/to file")) << session.LastError().message;
    EXPECT_TRUE(session.Stat(server.root + "/listing/name with blanks.txt", entry))
        << "the link's target stays";
    ASSERT_TRUE(session.List(links, entries));
    EXPECT_EQ(entries.size(), 2u);
}

// Blocks of any size from any offset, as the copy loop moves a file. A listed
// size (0: none) only shapes the first requests: a file that changed since it
// was listed reads as it is now.
TEST_F(SftpSessionTest, BlocksOfAnySizeFromAnyOffsetWhateverSizeWasListed) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    const std::string path = server.root + "/blocks.bin";
    std::string data;
    auto check = [&](size_t size, size_t block, uint64_t offset, uint64_t listed) {
        SCOPED_TRACE(testing::Message() << size << " bytes by " << block << " from " << offset
                                        << ", listed " << listed);
        data = TestBytes(size, static_cast<unsigned>(size));
        ASSERT_TRUE(Put(session, path, data.substr(0, offset))) << "the part before";
        ASSERT_TRUE(Put(session, path, data, offset, block)) << session.LastError().message;
        std::string read;
        ASSERT_TRUE(Get(session, path, read, offset, block, listed)) << session.LastError().message;
        EXPECT_TRUE(read == data.substr(offset)) << read.size() << " bytes";
    };
    const struct {
        size_t size;
        uint64_t listed, offset;
    } listings[] = {
        {0, 0, 0},           {1, 1, 0},          {1024, 1024, 0},         {1024, 4096, 0},
        {1024, 10, 0},       {65536, 65536, 0},  {65537, 65536, 0},       {65536, 65537, 0},
        {200000, 200000, 0}, {200000, 70000, 5}, {200000, 300000, 100000}};
    for (const auto& c : listings) check(c.size, 64 * 1024, c.offset, c.listed);
    const size_t kBig = 3 * 1024 * 1024 + 4321;
    const std::pair<size_t, uint64_t> blocks[] = {
        {1000, 0}, {65536, 12345}, {256 * 1024 + 7, 1}, {4 << 20, 3 * 1024 * 1024}, {4096, kBig}};
    for (const auto& [block, offset] : blocks) check(kBig, block, offset, 0);
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

TEST_F(SftpSessionTest, AFileThatGrowsWhileReadReadsToAnEnd) {
    const std::string data = TestBytes(4 * 1024 * 1024, 5);
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

}  // namespace
