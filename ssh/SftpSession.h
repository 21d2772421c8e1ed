#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ssh/CallWatch.h"

// The SSH library's handles, so that callers need not see its headers.
struct ssh_session_struct;
struct sftp_session_struct;
class SftpReadPipeline;
class SftpWritePipeline;
class SftpWire;

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
    // The key file is locked: it needs a passphrase, or the one given did not open it.
    bool keyLocked = false;
};

// One entry of a remote folder, as the server lists it (a link is not followed).
struct SftpEntry {
    std::string name;  // UTF-8
    uint64_t size = 0;
    int64_t modified = 0;  // seconds since 1970, UTC
    bool folder = false;
    bool link = false;
    bool linkToFolder = false;  // a link whose target is a folder (false when it dangles)
};

// One SFTP session over one SSH connection, for one thread at a time (only Cut may come
// from another). It wraps the SSH library so that the rest of the program sees plain
// calls: connect (the host key goes to the caller before any credential is sent), log in,
// the folder and file operations, and a file's bytes pulled or pushed block by block with
// many requests in flight, since one request per round trip would make every transfer as
// slow as the link's latency. Every failure leaves its reason in LastError(), and
// ConnectionLost() tells a dead connection from a refusal about one file.
// Paths are UTF-8, as SFTP servers take them.
class SftpSession {
  public:
    // Answers whether to go on with this host key; false refuses the server.
    using HostKeyCheck = std::function<bool(const SshHostKey&)>;

    SftpSession();
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

    // A folder's entries without "." and "..". A link's target is looked at once, for
    // linkToFolder.
    bool List(const std::string& path, std::vector<SftpEntry>& entries);
    // Follows links; the entry's name is the path's last part.
    bool Stat(const std::string& path, SftpEntry& entry);
    // The server's absolute form of `path`; "." gives the login folder.
    bool RealPath(const std::string& path, std::string& absolute);
    bool MakeFolder(const std::string& path);
    bool RemoveFolder(const std::string& path);
    // A link is removed itself, never its target.
    bool RemoveFile(const std::string& path);
    // Replaces an existing file where the server offers posix-rename@openssh.com; elsewhere
    // the server refuses onto an existing name.
    bool Rename(const std::string& from, const std::string& to);
    // Seconds since 1970, UTC (the access time is set to the same), without waiting: the
    // request goes with the next call's (or at the close) and its answer is taken then; a
    // refusal is not told. For a copy's last touch, where a round trip per file would cost
    // more than the time is worth to the caller.
    bool SetModifiedUnanswered(const std::string& path, int64_t modified);
    // Every answer still due taken, what waits sent first.
    bool Settle() { return Usable() && TakeUnanswered(); }

    // One open file at a time, read or write, moved block by block by the caller.
    // `expectedSize` is the size the listing gave (0: none): a small file then comes
    // with its end in one round trip.
    bool OpenRead(const std::string& path, uint64_t offset, uint64_t expectedSize = 0);
    // Up to `capacity` bytes in file order; *got == 0 at the end. Keeps many requests in
    // flight ahead of the caller.
    bool Read(char* buffer, size_t capacity, size_t* got);
    // From 0 the file is made or cut to nothing; from elsewhere it is written from there.
    bool OpenWrite(const std::string& path, uint64_t offset);
    // Sends without waiting for each answer; false once any write failed.
    bool Write(const char* data, size_t size);
    // For a write, waits for every answer: the verdict. For a read, drops what is still on
    // the way and closes with the next call's request, taking its answer then. True
    // when nothing was open.
    bool CloseFile();

    // From any thread, even while another is inside a call: shuts the connection's socket
    // down, so that a call waiting on the server returns at once with an error. The
    // session is dead afterwards; Close() it on its own thread, which also forgets the cut.
    void Cut();
    // The last failure was the connection's (SSH error, closed, timed out, cut), not an
    // SFTP status about one file.
    bool ConnectionLost() const { return connectionLost_; }

    // The key exchange and cipher agreed on, for the connection's description.
    std::string KeyExchange() const;
    std::string Cipher() const;
    const SshError& LastError() const { return error_; }
    void Close();

  private:
    // Cuts the session when the library's call under it waits on the server too long.
    CallWatch Watched();
    template <typename Call, typename... Arguments>
    auto Watched(Call call, Arguments... arguments) {
        CallWatch watch = Watched();
        return call(arguments...);
    }
    bool OpenSocket(const std::string& host, uint16_t port);
    void ForgetSocket();
    bool StartSftp();
    bool Authenticated(int result, const char* what);
    bool Usable();
    bool Ready();
    bool TakeUnanswered();
    bool OpenHandle(const std::string& path, uint32_t flags, const char* what);
    bool AnswerStatus(uint32_t id, const char* what, uint32_t* code, SshError& refused);
    bool WireFailed(const char* what);
    bool SshFailed(const char* what);
    bool SftpFailed(const char* what);
    bool Fail(int code, const std::string& message);
    bool Checked(int result, const char* what);
    void FollowLink(const std::string& path, SftpEntry& link);
    bool PosixRename(const std::string& from, const std::string& to);
    bool PipelineFailed(bool channelFailed, const char* what);

    ssh_session_struct* ssh_ = nullptr;
    sftp_session_struct* sftp_ = nullptr;
    std::unique_ptr<SftpWire> wire_;  // from the SFTP start on
    std::string handle_;              // of the open file
    bool fileOpen_ = false;
    // Requests sent whose status answers are taken before anything else.
    std::deque<uint32_t> unanswered_;
    std::unique_ptr<SftpReadPipeline> reader_;
    std::unique_ptr<SftpWritePipeline> writer_;
    SshError error_;
    bool connectionLost_ = false;
    // Cut's view of the connection: the socket (~0 when none) and how many Cuts are
    // touching it, so that Close never lets the socket go under a Cut.
    std::atomic<uintptr_t> socket_;
    std::atomic<int> cutting_{0};
    std::atomic<bool> cut_{false};
};
