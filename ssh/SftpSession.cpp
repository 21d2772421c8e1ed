#include "ssh/SftpSession.h"

#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <cstdio>
#include <deque>
#include <memory>

#include "ssh/SftpWritePipeline.h"

namespace {

// Every wait on the server (the key exchange, an answer, room to send) fails after this.
constexpr long kTimeoutSeconds = 10;
// AES-GCM first: ours goes through the system's AES instructions (wininet/TlsGcm.cpp),
// where the library's ChaCha20-Poly1305 is plain C.
constexpr const char* kCiphers =
    "aes256-gcm@openssh.com,aes128-gcm@openssh.com,"
    "chacha20-poly1305@openssh.com,aes256-ctr,aes128-ctr";
// 64 KiB per read request, 16 of them on the way (see SftpWritePipeline).
constexpr uint32_t kReadChunk = 64 * 1024;
constexpr size_t kReadDepth = 16;

// The library sets itself up once per process (its locks, Winsock, its random generator).
bool LibraryReady() {
    static const bool ready = ssh_init() == SSH_OK;
    return ready;
}

struct FileCloser {
    void operator()(sftp_file file) const { sftp_close(file); }
};
using FileHandle = std::unique_ptr<sftp_file_struct, FileCloser>;

struct KeyFree {
    void operator()(ssh_key key) const { ssh_key_free(key); }
};
using KeyHandle = std::unique_ptr<ssh_key_struct, KeyFree>;

bool ReadWholeFile(const std::wstring& path, std::string& text) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    bool ok = !ferror(file);
    fclose(file);
    return ok;
}

bool HostKeyOf(ssh_session session, SshHostKey& hostKey) {
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(session, &key) != SSH_OK) return false;
    KeyHandle owned(key);
    unsigned char* hash = nullptr;
    size_t hashSize = 0;
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &hashSize) != SSH_OK)
        return false;
    char* printed = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, hashSize);
    ssh_clean_pubkey_hash(&hash);
    if (!printed) return false;
    hostKey.fingerprint = printed;
    ssh_string_free_char(printed);
    hostKey.type = ssh_key_type_to_char(ssh_key_type(key));
    return true;
}

SftpEntry EntryOf(sftp_attributes attributes) {
    SftpEntry entry;
    entry.name = attributes->name;
    entry.size = attributes->size;
    entry.modified = attributes->mtime;
    entry.folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
    entry.link = attributes->type == SSH_FILEXFER_TYPE_SYMLINK;
    return entry;
}

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

SftpSession::~SftpSession() { Close(); }

void SftpSession::Close() {
    if (sftp_) sftp_free(sftp_);
    sftp_ = nullptr;
    if (ssh_) {
        ssh_disconnect(ssh_);
        ssh_free(ssh_);
    }
    ssh_ = nullptr;
}

std::string SftpSession::KeyExchange() const {
    const char* name = ssh_ ? ssh_get_kex_algo(ssh_) : nullptr;
    return name ? name : "";
}

std::string SftpSession::Cipher() const {
    const char* name = ssh_ ? ssh_get_cipher_in(ssh_) : nullptr;
    return name ? name : "";
}

bool SftpSession::Fail(int code, const std::string& message) {
    error_ = {code, false, message};
    return false;
}

bool SftpSession::SshFailed(const char* what) {
    std::string reason = ssh_ ? ssh_get_error(ssh_) : "";
    return Fail(ssh_ ? ssh_get_error_code(ssh_) : SSH_FATAL,
                reason.empty() ? what : std::string(what) + ": " + reason);
}

bool SftpSession::SftpFailed(const char* what) {
    int status = sftp_ ? sftp_get_error(sftp_) : 0;
    SshFailed(what);
    error_.code = status;
    error_.sftp = status != SSH_FX_OK;
    return false;
}

bool SftpSession::Connect(const std::string& host, uint16_t port, const HostKeyCheck& check) {
    Close();
    if (!LibraryReady()) return Fail(SSH_FATAL, "the SSH library could not start");
    ssh_ = ssh_new();
    if (!ssh_) return Fail(SSH_FATAL, "out of memory");
    unsigned int portNumber = port;
    long timeout = kTimeoutSeconds;
    ssh_options_set(ssh_, SSH_OPTIONS_HOST, host.c_str());
    ssh_options_set(ssh_, SSH_OPTIONS_PORT, &portNumber);
    ssh_options_set(ssh_, SSH_OPTIONS_TIMEOUT, &timeout);
    // The caller's host key decision replaces known_hosts files, and no ssh_config found
    // on the machine changes what is offered to the server.
    bool readConfig = false;
    ssh_options_set(ssh_, SSH_OPTIONS_KNOWNHOSTS, "");
    ssh_options_set(ssh_, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, "");
    ssh_options_set(ssh_, SSH_OPTIONS_PROCESS_CONFIG, &readConfig);
    ssh_options_set(ssh_, SSH_OPTIONS_CIPHERS_C_S, kCiphers);
    ssh_options_set(ssh_, SSH_OPTIONS_CIPHERS_S_C, kCiphers);
    if (ssh_connect(ssh_) != SSH_OK) return SshFailed("Can't connect");
    SshHostKey hostKey;
    if (!HostKeyOf(ssh_, hostKey)) return SshFailed("The server's host key could not be read");
    if (!check(hostKey)) {
        Close();
        return Fail(SSH_REQUEST_DENIED, "The server's host key was not accepted");
    }
    return true;
}

bool SftpSession::Authenticated(int result, const char* what) {
    if (result == SSH_AUTH_SUCCESS) return StartSftp();
    if (result == SSH_AUTH_ERROR) return SshFailed(what);
    return Fail(SSH_REQUEST_DENIED, std::string(what) + ": access denied");
}

bool SftpSession::LoginPassword(const std::string& user, const std::string& password) {
    if (!ssh_) return Fail(SSH_FATAL, "not connected");
    user_ = user;
    int none = ssh_userauth_none(ssh_, user.c_str());
    if (none == SSH_AUTH_SUCCESS) return StartSftp();
    if (none == SSH_AUTH_ERROR) return SshFailed("Can't log in");
    int methods = ssh_userauth_list(ssh_, user.c_str());
    if (!(methods & SSH_AUTH_METHOD_PASSWORD) && (methods & SSH_AUTH_METHOD_INTERACTIVE))
        return LoginKeyboardInteractive(user, password);
    return Authenticated(ssh_userauth_password(ssh_, user.c_str(), password.c_str()),
                         "Can't log in with this password");
}

bool SftpSession::LoginKeyboardInteractive(const std::string& user, const std::string& password) {
    if (!ssh_) return Fail(SSH_FATAL, "not connected");
    user_ = user;
    int result = ssh_userauth_kbdint(ssh_, user.c_str(), nullptr);
    // A server may ask several rounds; a round without prompts only wants an empty answer.
    for (int round = 0; result == SSH_AUTH_INFO && round < 8; ++round) {
        int prompts = ssh_userauth_kbdint_getnprompts(ssh_);
        for (int i = 0; i < prompts; ++i) {
            char echo = 0;
            ssh_userauth_kbdint_getprompt(ssh_, static_cast<unsigned>(i), &echo);
            // Only a hidden prompt asks for the password; we know no answer to another.
            if (echo)
                return Fail(SSH_REQUEST_DENIED,
                            "The server asked a question other than the password");
            ssh_userauth_kbdint_setanswer(ssh_, static_cast<unsigned>(i), password.c_str());
        }
        result = ssh_userauth_kbdint(ssh_, user.c_str(), nullptr);
    }
    return Authenticated(result, "Can't log in with this password");
}

bool SftpSession::LoginKeyFile(const std::string& user, const std::wstring& keyPath,
                               const std::string& passphrase) {
    if (!ssh_) return Fail(SSH_FATAL, "not connected");
    user_ = user;
    std::string text;
    if (!ReadWholeFile(keyPath, text)) return Fail(SSH_FATAL, "The key file could not be read");
    ssh_key key = nullptr;
    if (ssh_pki_import_privkey_base64(text.c_str(),
                                      passphrase.empty() ? nullptr : passphrase.c_str(), nullptr,
                                      nullptr, &key) != SSH_OK)
        return Fail(SSH_FATAL,
                    passphrase.empty()
                        ? "The key file is not a private key, or it needs a passphrase"
                        : "The key file's passphrase is wrong, or it is not a private key");
    KeyHandle owned(key);
    return Authenticated(ssh_userauth_publickey(ssh_, user.c_str(), key),
                         "Can't log in with this key");
}

bool SftpSession::StartSftp() {
    sftp_ = sftp_new(ssh_);
    if (!sftp_) return SshFailed("The server offers no SFTP");
    if (sftp_init(sftp_) != SSH_OK) {
        SftpFailed("The server's SFTP did not start");
        sftp_free(sftp_);
        sftp_ = nullptr;
        return false;
    }
    return true;
}

bool SftpSession::List(const std::string& path, std::vector<SftpEntry>& entries) {
    if (!sftp_) return Fail(SSH_FATAL, "not logged in");
    entries.clear();
    sftp_dir dir = sftp_opendir(sftp_, path.c_str());
    if (!dir) return SftpFailed("Can't list the folder");
    sftp_attributes attributes;
    while ((attributes = sftp_readdir(sftp_, dir)) != nullptr) {
        if (!IsDotEntry(attributes->name)) entries.push_back(EntryOf(attributes));
        sftp_attributes_free(attributes);
    }
    bool complete = sftp_dir_eof(dir) != 0;
    if (!complete) SftpFailed("The folder's listing broke off");
    sftp_closedir(dir);
    return complete;
}

bool SftpSession::ReadFile(const std::string& path, uint64_t offset, const Sink& sink) {
    if (!sftp_) return Fail(SSH_FATAL, "not logged in");
    FileHandle file(sftp_open(sftp_, path.c_str(), O_RDONLY, 0));
    if (!file) return SftpFailed("Can't open the file");
    return ReadPipelined(file.get(), offset, sink);
}

// Keeps kReadDepth requests on the way and hands their data on in file order. The
// offsets are ours, since the library moves its own on a short answer. Answers are taken
// strictly in the order asked: the library waits for a new packet before it looks at
// what it has already queued, so an answer read early would be waited for for ever.
bool SftpSession::ReadPipelined(sftp_file file, uint64_t offset, const Sink& sink) {
    std::deque<int> pending;
    std::vector<char> buffer(kReadChunk);
    bool atEnd = false, ok = true;
    while (ok && !atEnd) {
        while (pending.size() < kReadDepth) {
            sftp_seek64(file, offset + pending.size() * kReadChunk);
            int id = sftp_async_read_begin(file, kReadChunk);
            if (id < 0) return SftpFailed("Can't read the file");
            pending.push_back(id);
        }
        int id = pending.front();
        pending.pop_front();
        file->eof = 0;  // each request's own answer says whether it met the end
        int got = sftp_async_read(file, buffer.data(), kReadChunk, static_cast<uint32_t>(id));
        if (got < 0) {
            ok = SftpFailed("Can't read the file");
        } else if (got == 0) {
            atEnd = true;
        } else if (!sink(buffer.data(), static_cast<size_t>(got))) {
            ok = Fail(0, "The read was stopped");
        } else {
            offset += static_cast<uint64_t>(got);
            // A short answer (the end, or a server's choice): the requests behind it asked
            // from the wrong place; they are dropped and asked again from here.
            if (static_cast<uint32_t>(got) < kReadChunk) ok = Drain(file, pending);
        }
    }
    Drain(file, pending);
    return ok;
}

// Takes the answers still due, so that none is left queued in the session.
bool SftpSession::Drain(sftp_file file, std::deque<int>& pending) {
    std::vector<char> buffer(kReadChunk);
    bool ok = true;
    for (int id : pending) {
        file->eof = 0;
        if (sftp_async_read(file, buffer.data(), kReadChunk, static_cast<uint32_t>(id)) < 0 &&
            !ssh_is_connected(ssh_)) {
            ok = SftpFailed("Can't read the file");
            break;
        }
    }
    pending.clear();
    return ok;
}

bool SftpSession::WriteFile(const std::string& path, uint64_t offset, const Source& source) {
    if (!sftp_) return Fail(SSH_FATAL, "not logged in");
    int flags = O_WRONLY | O_CREAT | (offset == 0 ? O_TRUNC : 0);
    FileHandle file(sftp_open(sftp_, path.c_str(), flags, 0644));
    if (!file) return SftpFailed("Can't create the file");
    SftpWritePipeline pipeline(sftp_, file.get());
    if (!pipeline.Run(offset, source, error_)) return false;
    sftp_file closing = file.release();
    if (sftp_close(closing) != SSH_OK) return SftpFailed("The server did not keep the file");
    return true;
}
