#pragma once

#include <cstdint>
#include <string>

// The SFTP server of tests/fixtures/sshd_server.sh, as the start script exported it.
struct SftpFixtureServer {
    std::string host, user, password;
    uint16_t port = 0;
    uint16_t closesInKexPort = 0;  // a server that hangs up during the key exchange
    std::string root;              // the served folder, the same path on both sides
    std::string ed25519Key, ecdsaKey, ecdsaPassphrase, rsaKey;  // Linux paths of the user's keys
    std::string ed25519HostKey;  // its fingerprint, as OpenSSH prints it
    bool Load();                 // false when the fixture is not running
};
