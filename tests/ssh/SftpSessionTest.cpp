#include "ssh/SftpSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "support/FtpFixture.h"
#include "support/SftpFixture.h"

namespace {

constexpr int kNoSuchFile = 2, kPermissionDenied = 3;  // SFTP status codes

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

struct Login {
    const char* name;
    std::function<bool(SftpSession&, const SftpFixtureServer&)> logIn;
};

TEST_F(SftpSessionTest, EachLoginKindAfterTheHostKeyOnCurve25519) {
    const Login logins[] = {
        {"password",
         [](SftpSession& s, const SftpFixtureServer& f) {
             return s.LoginPassword(f.user, f.password);
         }},
        {"keyboard-interactive",
         [](SftpSession& s, const SftpFixtureServer& f) {
             return s.LoginKeyboardInteractive(f.user, f.password);
         }},
        {"ed25519 key",
         [](SftpSession& s, const SftpFixtureServer& f) {
             return s.LoginKeyFile(f.user, WinePath(f.ed25519Key), "");
         }},
        {"ECDSA key with passphrase",
         [](SftpSession& s, const SftpFixtureServer& f) {
             return s.LoginKeyFile(f.user, WinePath(f.ecdsaKey), f.ecdsaPassphrase);
         }},
        // The server refuses SHA-1 signatures: this passes only with rsa-sha2.
        {"RSA key",
         [](SftpSession& s, const SftpFixtureServer& f) {
             return s.LoginKeyFile(f.user, WinePath(f.rsaKey), "");
         }},
    };
    for (const Login& login : logins) {
        SCOPED_TRACE(login.name);
        SftpSession session;
        shownKeys.clear();
        ASSERT_TRUE(Connect(session)) << session.LastError().message;
        ASSERT_EQ(shownKeys.size(), 1u);
        EXPECT_EQ(shownKeys[0].type, "ssh-ed25519");
        EXPECT_EQ(shownKeys[0].fingerprint, server.ed25519HostKey);
        EXPECT_EQ(session.KeyExchange().rfind("curve25519-sha256", 0), 0u) << session.KeyExchange();
        ASSERT_TRUE(login.logIn(session, server)) << session.LastError().message;
        std::vector<SftpEntry> entries;
        EXPECT_TRUE(session.List(server.root + "/listing", entries)) << session.LastError().message;
    }
}

TEST_F(SftpSessionTest, RefusedLoginsAndServersSayWhy) {
    const struct {
        const char* name;
        uint16_t port;
        std::function<bool(SftpSession&, const SftpFixtureServer&)> logIn;
        const char* reason;
    } cases[] = {
        {"wrong password", 0,
         [](SftpSession& s, const SftpFixtureServer& f) {
             return s.LoginPassword(f.user, "wrong");
         },
         "access denied"},
        {"wrong passphrase", 0,
         [](SftpSession& s, const SftpFixtureServer& f) {
             return s.LoginKeyFile(f.user, WinePath(f.ecdsaKey), "wrong");
         },
         "passphrase is wrong"},
        {"passphrase missing", 0,
         [](SftpSession& s, const SftpFixtureServer& f) {
             return s.LoginKeyFile(f.user, WinePath(f.ecdsaKey), "");
         },
         "needs a passphrase"},
        {"closes in the key exchange", server.closesInKexPort, nullptr, "Can't connect"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SftpSession session;
        bool connected = Connect(session, c.port);
        EXPECT_TRUE(c.logIn ? connected && !c.logIn(session, server) : !connected);
        EXPECT_NE(session.LastError().message.find(c.reason), std::string::npos)
            << session.LastError().message;
    }
}

TEST_F(SftpSessionTest, RefusedHostKeyEndsTheConnection) {
    SftpSession session;
    ASSERT_FALSE(
        session.Connect(server.host, server.port, [](const SshHostKey&) { return false; }));
    EXPECT_NE(session.LastError().message.find("host key"), std::string::npos);
    EXPECT_FALSE(session.LoginPassword(server.user, server.password));
}

TEST_F(SftpSessionTest, ListsNamesWithBlanksUtf8AndLinks) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session)) << session.LastError().message;
    std::vector<SftpEntry> entries;
    ASSERT_TRUE(session.List(server.root + "/listing", entries)) << session.LastError().message;
    std::sort(entries.begin(), entries.end(),
              [](const SftpEntry& a, const SftpEntry& b) { return a.name < b.name; });
    const struct {
        const char* name;
        uint64_t size;
        bool folder, link;
    } expected[] = {
        {"grüße 日本.txt", 7, false, false},
        {"link to file", 20, false, true},
        {"name with blanks.txt", 5, false, false},
        {"new\nline", 9, false, false},
        {"sub folder", 0, true, false},
    };
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(entries[i].name, expected[i].name);
        if (!expected[i].folder) {
            EXPECT_EQ(entries[i].size, expected[i].size);
        }
        EXPECT_EQ(entries[i].folder, expected[i].folder);
        EXPECT_EQ(entries[i].link, expected[i].link);
        EXPECT_EQ(entries[i].modified, 1614834367);  // 2021-03-04 05:06:07 UTC
    }
}

TEST_F(SftpSessionTest, MissingFileAndFolderWithoutRightsKeepTheirCodes) {
    SftpSession session;
    ASSERT_TRUE(LogIn(session));
    EXPECT_FALSE(
        session.ReadFile(server.root + "/missing", 0, [](const char*, size_t) { return true; }));
    EXPECT_EQ(session.LastError().code, kNoSuchFile);
    EXPECT_TRUE(session.LastError().sftp);
    EXPECT_FALSE(session.WriteFile(server.root + "/listing/new", 0,
                                   [](char*, size_t) { return int64_t(0); }));
    EXPECT_EQ(session.LastError().code, kPermissionDenied);
    EXPECT_NE(session.LastError().message.find("Can't create the file"), std::string::npos);
    std::vector<SftpEntry> entries;
    EXPECT_TRUE(session.List(server.root + "/listing", entries)) << "the session stays usable";
}

// Writes `data` from `offset` in pieces of uneven sizes, as a local file would give them.
bool Upload(SftpSession& session, const std::string& path, const std::string& data, size_t offset) {
    return session.WriteFile(path, offset, [&](char* buffer, size_t capacity) {
        size_t size = std::min({capacity, data.size() - offset, size_t(50000)});
        memcpy(buffer, data.data() + offset, size);
        offset += size;
        return static_cast<int64_t>(size);
    });
}

TEST_F(SftpSessionTest, TenMebibytesRoundTripByteForByteFromAnyOffset) {
    std::string data(10 * 1024 * 1024 + 123, '\0');
    std::mt19937 random(7);
    for (char& byte : data) byte = static_cast<char>(random());
    SftpSession session;
    ASSERT_TRUE(LogIn(session));
    std::string path = server.root + "/roundtrip ü.bin";
    // A first part, then the rest from where it stopped, as a resumed upload does.
    ASSERT_TRUE(Upload(session, path, data.substr(0, 4 * 1024 * 1024 + 1), 0))
        << session.LastError().message;
    ASSERT_TRUE(Upload(session, path, data, 4 * 1024 * 1024 + 1)) << session.LastError().message;
    EXPECT_EQ(FileChecksum(WinePath(path)), BufferChecksum(data.data(), data.size()))
        << "the server's copy";
    for (uint64_t offset : {uint64_t(0), uint64_t(3 * 1024 * 1024 + 17)}) {
        std::string read;
        ASSERT_TRUE(session.ReadFile(path, offset, [&](const char* piece, size_t size) {
            read.append(piece, size);
            return true;
        })) << session.LastError().message;
        EXPECT_TRUE(read == data.substr(offset))
            << "from " << offset << ": " << read.size() << " bytes";
    }
    // A read stopped at its first piece leaves no answer behind for the next one.
    EXPECT_FALSE(session.ReadFile(path, 0, [](const char*, size_t) { return false; }));
    std::string tail;
    ASSERT_TRUE(session.ReadFile(path, data.size() - 1000, [&](const char* piece, size_t size) {
        tail.append(piece, size);
        return true;
    })) << session.LastError().message;
    EXPECT_TRUE(tail == data.substr(data.size() - 1000));
}

}  // namespace
