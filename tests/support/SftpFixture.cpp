#include "support/SftpFixture.h"

#include "support/FtpFixture.h"

bool SftpFixtureServer::Load() {
    // clang-format off
    const struct { const char* name; std::string* value; } variables[] = {
        {"CORVANE_SFTP_HOST", &host}, {"CORVANE_SFTP_USER", &user},
        {"CORVANE_SFTP_PASSWORD", &password}, {"CORVANE_SFTP_ROOT", &root},
        {"CORVANE_SFTP_KEY_ED25519", &ed25519Key}, {"CORVANE_SFTP_KEY_ECDSA", &ecdsaKey},
        {"CORVANE_SFTP_KEY_ECDSA_PASSPHRASE", &ecdsaPassphrase}, {"CORVANE_SFTP_KEY_RSA", &rsaKey},
        {"CORVANE_SFTP_HOSTKEY_ED25519", &ed25519HostKey}};
    // clang-format on
    for (const auto& variable : variables)
        if (!FixtureVariable(variable.name, *variable.value)) return false;
    port = FixturePort("CORVANE_SFTP_PORT");
    closesInKexPort = FixturePort("CORVANE_SFTP_CLOSES_IN_KEX_PORT");
    return port != 0;
}
