#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// The SSH library's handles, so that callers need not see its headers.
struct ssh_session_struct;
struct sftp_session_struct;
struct sftp_file_struct;

// What the server showed of itself before anything of the user was sent.
struct SshHostKey {
    std::string type;         // "ssh-ed25519", "ecdsa-sha2-nistp256", "ssh-rsa", ...
    std::string fingerprint;  // "SHA256:" and base64 without padding, as OpenSSH prints it
};

// Why the last call failed: the library's (or the server's) message with its code.
struct SshError {
    int code = 0;  // an SFTP status (SSH_FX_*) when sftp is set, else the SSH library's code
    bool sftp = false;
    std::string message;
};

// One entry of a remote folder, as the server lists it (a link is not followed).
struct SftpEntry {
    std::string name;  // UTF-8
    uint64_t size = 0;
    int64_t modified = 0;  // seconds since 1970, UTC
    bool folder = false;
    bool link = false;
};

// One SFTP session over one SSH connection, for one thread at a time. It wraps the SSH
// library so that the rest of the program sees plain calls: connect (the host key goes to
// the caller before any credential is sent), log in, list, and move a file's bytes with
// several requests in flight, since one request per round trip would make every
// transfer as slow as the link's latency. Every failure leaves its reason in LastError().
// Paths are UTF-8, as SFTP servers take them.
class SftpSession {
  public:
    // Answers whether to go on with this host key; false refuses the server.
    using HostKeyCheck = std::function<bool(const SshHostKey&)>;
    // Takes the next piece of a file being read; false stops the read.
    using Sink = std::function<bool(const char* data, size_t size)>;
    // Fills up to `capacity` bytes of a file being written; 0 ends it, -1 fails it.
    using Source = std::function<int64_t(char* buffer, size_t capacity)>;

    SftpSession() = default;
    ~SftpSession();
    SftpSession(const SftpSession&) = delete;
    SftpSession& operator=(const SftpSession&) = delete;

    // Connects and runs the key exchange; fails unless `check` accepts the host key.
    bool Connect(const std::string& host, uint16_t port, const HostKeyCheck& check);
    // The password method where the server offers it, else keyboard-interactive
    // answering the server's hidden prompts with the password.
    bool LoginPassword(const std::string& user, const std::string& password);
    bool LoginKeyboardInteractive(const std::string& user, const std::string& password);
    // An OpenSSH private key file (ed25519, ECDSA, RSA); the passphrase may be empty.
    bool LoginKeyFile(const std::string& user, const std::wstring& keyPath,
                      const std::string& passphrase);

    bool List(const std::string& path, std::vector<SftpEntry>& entries);
    // Reads the file from `offset` to its end into `sink`.
    bool ReadFile(const std::string& path, uint64_t offset, const Sink& sink);
    // Writes what `source` gives at `offset`; from 0, an existing file is cut to nothing.
    bool WriteFile(const std::string& path, uint64_t offset, const Source& source);

    // The key exchange and cipher agreed on, for the connection's description.
    std::string KeyExchange() const;
    std::string Cipher() const;
    const SshError& LastError() const { return error_; }
    void Close();

  private:
    bool StartSftp();
    bool Authenticated(int result, const char* what);
    bool SshFailed(const char* what);
    bool SftpFailed(const char* what);
    bool Fail(int code, const std::string& message);
    bool ReadPipelined(sftp_file_struct* file, uint64_t offset, const Sink& sink);
    bool Drain(sftp_file_struct* file, std::deque<int>& pending);

    ssh_session_struct* ssh_ = nullptr;
    sftp_session_struct* sftp_ = nullptr;
    std::string user_;
    SshError error_;
};
