#include "ssh/SftpSession.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "ssh/SftpReadPipeline.h"
#include "ssh/SftpStatus.h"
#include "ssh/SftpWire.h"
#include "ssh/SftpWritePipeline.h"

namespace {

// Every wait on the server (the key exchange, an answer, room to send) fails after this.
constexpr long kTimeoutSeconds = 10;
// AES-GCM first: ours goes through the system's AES instructions (wininet/TlsGcm.cpp),
// where the library's ChaCha20-Poly1305 is plain C.
constexpr const char* kCiphers =
    "aes256-gcm@openssh.com,aes128-gcm@openssh.com,"
    "chacha20-poly1305@openssh.com,aes256-ctr,aes128-ctr";
constexpr uintptr_t kNoSocket = ~uintptr_t(0);
constexpr const char* kOutOfStep = "The server's answers broke off";
// How often a connect in progress looks whether it was cut.
constexpr long kConnectSliceMs = 100;

// The library sets itself up once per process (its locks, Winsock, its random generator).
bool LibraryReady() {
    static const bool ready = ssh_init() == SSH_OK;
    return ready;
}

struct AddressesFree {
    void operator()(addrinfo* addresses) const { freeaddrinfo(addresses); }
};
using Addresses = std::unique_ptr<addrinfo, AddressesFree>;

struct KeyFree {
    void operator()(ssh_key key) const { ssh_key_free(key); }
};
using KeyHandle = std::unique_ptr<ssh_key_struct, KeyFree>;

// The library asks for a passphrase only for a key that is encrypted.
int NotePassphraseAsked(const char*, char*, size_t, int, int, void* asked) {
    *static_cast<bool*>(asked) = true;
    return -1;
}

bool IsLockedKey(const std::string& text) {
    bool asked = false;
    ssh_key key = nullptr;
    if (ssh_pki_import_privkey_base64(text.c_str(), nullptr, NotePassphraseAsked, &asked, &key) ==
        SSH_OK)
        ssh_key_free(key);
    return asked;
}

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
    entry.name = attributes->name ? attributes->name : "";
    entry.size = attributes->size;
    entry.modified = attributes->mtime;
    entry.folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
    entry.link = attributes->type == SSH_FILEXFER_TYPE_SYMLINK;
    return entry;
}

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::string Child(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The path's last part ("/" for the root itself).
std::string LastPart(const std::string& path) {
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return path.empty() ? path : "/";
    size_t slash = path.find_last_of('/', end);
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(start, end + 1 - start);
}

// Waits for a non-blocking connect, looking every slice whether `cut` was set.
bool ConnectWithin(SOCKET socket, const addrinfo* address, const std::atomic<bool>& cut) {
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    if (connect(socket, address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK)
        return false;
    for (long waited = 0; waited < kTimeoutSeconds * 1000 && !cut; waited += kConnectSliceMs) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket, &writable);
        FD_SET(socket, &failed);
        timeval slice = {0, kConnectSliceMs * 1000};
        int ready = select(0, nullptr, &writable, &failed, &slice);
        if (ready < 0 || FD_ISSET(socket, &failed)) return false;
        if (ready > 0) {
            u_long blocking = 0;
            return ioctlsocket(socket, FIONBIO, &blocking) == 0;
        }
    }
    return false;
}

}  // namespace

SftpSession::SftpSession() : socket_(kNoSocket) {}

SftpSession::~SftpSession() { Close(); }

void SftpSession::Close() {
    CloseFile();
    // What was gathered (a close, a time) still reaches the server before the end.
    if (wire_ && !cut_) wire_->Flush();
    unanswered_.clear();
    wire_.reset();
    if (sftp_) sftp_free(sftp_);
    sftp_ = nullptr;
    ForgetSocket();
    if (ssh_) {
        ssh_disconnect(ssh_);
        ssh_free(ssh_);  // closes the socket
    }
    ssh_ = nullptr;
    cut_.store(false);  // a Cut ends one connection, not the next
}

// Hides the socket from Cut and waits out a Cut that is using it (a few instructions), so
// that it is never shut down after it was closed and its number given to another.
void SftpSession::ForgetSocket() {
    socket_.store(kNoSocket);
    while (cutting_.load() > 0) std::this_thread::yield();
}

void SftpSession::Cut() {
    cut_.store(true);
    cutting_.fetch_add(1);
    uintptr_t socket = socket_.load();
    if (socket != kNoSocket) shutdown(static_cast<SOCKET>(socket), SD_BOTH);
    cutting_.fetch_sub(1);
}

CallWatch SftpSession::Watched() {
    return CallWatch(kTimeoutSeconds * 1000, [this] { Cut(); });
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
    connectionLost_ = false;
    return false;
}

// The connection failed: the library's reason, or that it was cut.
bool SftpSession::SshFailed(const char* what) {
    std::string reason = cut_ ? "the connection was cut" : ssh_ ? ssh_get_error(ssh_) : "";
    Fail(ssh_ ? ssh_get_error_code(ssh_) : SSH_FATAL,
         reason.empty() ? what : std::string(what) + ": " + reason);
    connectionLost_ = true;
    return false;
}

// An SFTP call failed: the server's status about this one request, unless the
// connection itself broke (then no status came, or only the channel's end).
bool SftpSession::SftpFailed(const char* what) {
    int status = sftp_ ? sftp_get_error(sftp_) : SSH_FX_OK;
    if (cut_ || !ssh_is_connected(ssh_) || !sftp_ || !ssh_channel_is_open(sftp_->channel) ||
        status == SSH_FX_OK || status == SSH_FX_EOF)
        return SshFailed(what);
    error_ = {status, true, std::string(what) + ": " + SftpStatusText(status)};
    connectionLost_ = false;
    return false;
}

bool SftpSession::Checked(int result, const char* what) {
    return result == SSH_OK || SftpFailed(what);
}

// Logged in, not cut, and no file open.
bool SftpSession::Usable() {
    if (cut_) return SshFailed("Not connected");
    if (!sftp_) return Fail(SSH_FATAL, "not logged in");
    if (fileOpen_) return Fail(SSH_FATAL, "another file is open on this session");
    return true;
}

// Usable, with every answer still due taken, so that the channel is the library's; clears
// the last SFTP status so that a failure without one is seen as the connection's.
bool SftpSession::Ready() {
    if (!Usable() || !TakeUnanswered()) return false;
    if (!wire_->Drained())
        return wire_->Malformed("the server sent more than was asked"), WireFailed(kOutOfStep);
    sftp_->errnum = SSH_FX_OK;
    return true;
}

// The answers of requests that nobody waited for: a refusal there is not told, but an
// answer out of step breaks the connection.
bool SftpSession::TakeUnanswered() {
    while (!unanswered_.empty()) {
        uint32_t id = unanswered_.front(), code;
        unanswered_.pop_front();
        SshError refused;
        if (!AnswerStatus(id, kOutOfStep, &code, refused)) return false;
    }
    return true;
}

// The wire failed: the connection is out of step and is cut.
bool SftpSession::WireFailed(const char* what) {
    error_ = wire_->ChannelError(what);
    return PipelineFailed(true, what);
}

// Reads the status answer of request `id`: false only when the connection failed; a
// refusal leaves its code, and its reason in `refused`.
bool SftpSession::AnswerStatus(uint32_t id, const char* what, uint32_t* code, SshError& refused) {
    SftpWire::Answer answer;
    if (!wire_->ReadAnswer(answer)) return WireFailed(what);
    if (answer.id != id || answer.type != SftpWire::kStatus)
        return wire_->Malformed("the server answered out of step"), WireFailed(what);
    if (!wire_->ReadStatus(answer.rest, what, code, refused)) return WireFailed(what);
    connectionLost_ = false;
    return true;
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
    if (!OpenSocket(host, port)) return false;
    if (ssh_connect(ssh_) != SSH_OK || cut_) return SshFailed("Can't connect");
    SshHostKey hostKey;
    if (!HostKeyOf(ssh_, hostKey)) return SshFailed("The server's host key could not be read");
    if (!check(hostKey)) {
        Close();
        return Fail(SSH_REQUEST_DENIED, "The server's host key was not accepted");
    }
    return true;
}

// Our own socket, so that Cut can reach it from the first byte of the key exchange; the
// library takes it over (and closes it) from ssh_connect on.
bool SftpSession::OpenSocket(const std::string& host, uint16_t port) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return SshFailed("Can't connect: the host name was not found");
    Addresses addresses(found);
    for (const addrinfo* address = found; address && !cut_; address = address->ai_next) {
        SOCKET socket = ::socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (socket == INVALID_SOCKET) continue;
        socket_.store(socket);
        if (ConnectWithin(socket, address, cut_)) {
            socket_t given = socket;
            // The library's own no-delay option applies only to sockets it opens: a
            // request held back for an acknowledgement costs a small file 40 ms.
            BOOL on = TRUE;
            setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                       sizeof on);
            ssh_options_set(ssh_, SSH_OPTIONS_FD, &given);
            return true;
        }
        ForgetSocket();
        closesocket(socket);
    }
    return SshFailed(cut_ ? "Can't connect" : "Can't connect: the server could not be reached");
}

bool SftpSession::Authenticated(int result, const char* what) {
    if (result == SSH_AUTH_SUCCESS) return StartSftp();
    if (result == SSH_AUTH_ERROR) return SshFailed(what);
    return Fail(SSH_REQUEST_DENIED, std::string(what) + ": access denied");
}

bool SftpSession::LoginPassword(const std::string& user, const std::string& password) {
    if (!ssh_) return Fail(SSH_FATAL, "not connected");
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
    std::string text;
    if (!ReadWholeFile(keyPath, text)) return Fail(SSH_FATAL, "The key file could not be read");
    ssh_key key = nullptr;
    if (ssh_pki_import_privkey_base64(text.c_str(),
                                      passphrase.empty() ? nullptr : passphrase.c_str(), nullptr,
                                      nullptr, &key) != SSH_OK) {
        bool locked = IsLockedKey(text);
        Fail(SSH_FATAL, !locked              ? "The key file is not a private key"
                        : passphrase.empty() ? "The key file needs a passphrase"
                                             : "The key file's passphrase is wrong");
        error_.keyLocked = locked;
        return false;
    }
    KeyHandle owned(key);
    return Authenticated(ssh_userauth_publickey(ssh_, user.c_str(), key),
                         "Can't log in with this key");
}

bool SftpSession::StartSftp() {
    CallWatch watch = Watched();
    sftp_ = sftp_new(ssh_);
    if (!sftp_) return SshFailed("The server offers no SFTP");
    if (sftp_init(sftp_) != SSH_OK) {
        SftpFailed("The server's SFTP did not start");
        sftp_free(sftp_);
        sftp_ = nullptr;
        return false;
    }
    wire_ = std::make_unique<SftpWire>(sftp_);
    return true;
}

// Each request of a listing is watched on its own: a large folder on a slow
// link may take long as a whole, but no answer may.
bool SftpSession::List(const std::string& path, std::vector<SftpEntry>& entries) {
    entries.clear();
    if (!Ready()) return false;
    sftp_dir dir = Watched(sftp_opendir, sftp_, path.c_str());
    if (!dir) return SftpFailed("Can't list the folder");
    sftp_attributes attributes;
    while ((attributes = Watched(sftp_readdir, sftp_, dir)) != nullptr) {
        if (!IsDotEntry(attributes->name)) entries.push_back(EntryOf(attributes));
        sftp_attributes_free(attributes);
    }
    bool complete = sftp_dir_eof(dir) != 0;
    if (!complete) SftpFailed("The folder's listing broke off");
    Watched(sftp_closedir, dir);
    for (SftpEntry& entry : entries) {
        if (!complete) break;
        if (entry.link) FollowLink(Child(path, entry.name), entry);
        complete = !connectionLost_;
    }
    return complete;
}

// A link shows what it leads to: a folder, or a file's size and time, which a
// copy through it moves. A dangling or forbidden link shows itself.
void SftpSession::FollowLink(const std::string& path, SftpEntry& link) {
    sftp_->errnum = SSH_FX_OK;
    sftp_attributes target = sftp_stat(sftp_, path.c_str());
    if (!target) {
        SftpFailed("Can't follow the link");
        return;
    }
    link.linkToFolder = target->type == SSH_FILEXFER_TYPE_DIRECTORY;
    if (!link.linkToFolder) {
        link.size = target->size;
        link.modified = target->mtime;
    }
    sftp_attributes_free(target);
}

bool SftpSession::Stat(const std::string& path, SftpEntry& entry) {
    CallWatch watch = Watched();
    if (!Ready()) return false;
    sftp_attributes attributes = sftp_stat(sftp_, path.c_str());
    if (!attributes) return SftpFailed("Can't look at the file");
    entry = EntryOf(attributes);
    sftp_attributes_free(attributes);
    entry.name = LastPart(path);
    return true;
}

bool SftpSession::RealPath(const std::string& path, std::string& absolute) {
    CallWatch watch = Watched();
    if (!Ready()) return false;
    char* found = sftp_canonicalize_path(sftp_, path.c_str());
    if (!found) return SftpFailed("Can't find the folder");
    absolute = found;
    ssh_string_free_char(found);
    return true;
}

bool SftpSession::MakeFolder(const std::string& path) {
    CallWatch watch = Watched();
    return Ready() && Checked(sftp_mkdir(sftp_, path.c_str(), 0755), "Can't make the folder");
}

bool SftpSession::RemoveFolder(const std::string& path) {
    CallWatch watch = Watched();
    return Ready() && Checked(sftp_rmdir(sftp_, path.c_str()), "Can't remove the folder");
}

bool SftpSession::RemoveFile(const std::string& path) {
    CallWatch watch = Watched();
    return Ready() && Checked(sftp_unlink(sftp_, path.c_str()), "Can't remove the file");
}

bool SftpSession::Rename(const std::string& from, const std::string& to) {
    CallWatch watch = Watched();
    if (!Ready()) return false;
    if (sftp_extension_supported(sftp_, "posix-rename@openssh.com", "1"))
        return PosixRename(from, to);
    return Checked(sftp_rename(sftp_, from.c_str(), to.c_str()), "Can't rename");
}

// The plain SFTP rename refuses onto an existing name; this one replaces it at once.
bool SftpSession::PosixRename(const std::string& from, const std::string& to) {
    constexpr const char* kWhat = "Can't rename";
    uint32_t id = 0, code = SSH_FX_OK;
    if (!wire_->SendExtended("posix-rename@openssh.com", from, to, &id)) return WireFailed(kWhat);
    return AnswerStatus(id, kWhat, &code, error_) && code == SSH_FX_OK;
}

bool SftpSession::SetModifiedUnanswered(const std::string& path, int64_t modified) {
    uint32_t id = 0;
    if (!Usable()) return false;
    // The protocol carries unsigned 32-bit seconds.
    uint32_t seconds = modified < 0              ? 0
                       : modified > 0xffffffffLL ? 0xffffffffu
                                                 : uint32_t(modified);
    // It goes with the next request, at the latest when the session closes.
    if (!wire_->SendSetTimes(path, seconds, &id)) return WireFailed("Can't set the file's time");
    unanswered_.push_back(id);
    return true;
}

// Sends the open request before taking the answers still due, so that both go in one
// round trip; the handle is kept for the pipelines.
bool SftpSession::OpenHandle(const std::string& path, uint32_t flags, const char* what) {
    uint32_t id = 0, code = SSH_FX_OK;
    if (!Usable()) return false;
    if (!wire_->SendOpen(path, flags, 0644, &id)) return WireFailed(what);
    if (!TakeUnanswered()) return false;
    SftpWire::Answer answer;
    if (!wire_->ReadAnswer(answer)) return WireFailed(what);
    if (answer.id != id || (answer.type != SftpWire::kHandle && answer.type != SftpWire::kStatus))
        return wire_->Malformed("the server answered an open out of step"), WireFailed(what);
    connectionLost_ = false;
    if (answer.type == SftpWire::kHandle) {
        if (!wire_->ReadHandle(answer.rest, handle_)) return WireFailed(what);
        fileOpen_ = true;
        return true;
    }
    if (!wire_->ReadStatus(answer.rest, what, &code, error_)) return WireFailed(what);
    if (code == SSH_FX_OK) error_ = {SSH_FX_FAILURE, true, std::string(what) + ": no handle came"};
    return false;
}

bool SftpSession::OpenRead(const std::string& path, uint64_t offset, uint64_t expectedSize) {
    if (!OpenHandle(path, SSH_FXF_READ, "Can't open the file")) return false;
    reader_ = std::make_unique<SftpReadPipeline>(*wire_, handle_, offset, expectedSize);
    return true;
}

bool SftpSession::Read(char* buffer, size_t capacity, size_t* got) {
    *got = 0;
    if (!reader_) return Fail(SSH_FATAL, "no file is open for reading");
    if (cut_) return SshFailed("Can't read the file");
    if (reader_->Read(buffer, capacity, got, error_)) return true;
    return PipelineFailed(reader_->ChannelFailed(), "Can't read the file");
}

bool SftpSession::OpenWrite(const std::string& path, uint64_t offset) {
    uint32_t flags = SSH_FXF_WRITE | SSH_FXF_CREAT | (offset == 0 ? SSH_FXF_TRUNC : 0);
    if (!OpenHandle(path, flags, "Can't create the file")) return false;
    writer_ = std::make_unique<SftpWritePipeline>(*wire_, handle_, offset);
    return true;
}

bool SftpSession::Write(const char* data, size_t size) {
    if (!writer_) return Fail(SSH_FATAL, "no file is open for writing");
    if (cut_) return SshFailed("Can't write the file");
    if (writer_->Write(data, size, error_)) return true;
    return PipelineFailed(writer_->ChannelFailed(), "Can't write the file");
}

// A broken or silent channel leaves answers due that the library would wait for without
// end, so the connection is cut: every later call fails at once.
bool SftpSession::PipelineFailed(bool channelFailed, const char* what) {
    if (cut_) return SshFailed(what);
    if (channelFailed) Cut();
    connectionLost_ = channelFailed;
    return false;
}

// Ends the pipeline's exchange and closes the handle. A write's close goes with its
// last requests and its answer is the verdict; a read's answer is left for later.
bool SftpSession::CloseFile() {
    if (!fileOpen_) return true;
    fileOpen_ = false;
    SshError late;
    bool ok = true, inStep = true;
    uint32_t id = 0;
    bool writing = writer_ != nullptr;
    if (writing) {
        inStep = wire_->SendClose(handle_, &id);
        ok = inStep && writer_->Finish(late);
        inStep = inStep && !writer_->ChannelFailed();
    } else if (reader_) {
        inStep =
            (reader_->Drop(late) || !reader_->ChannelFailed()) && wire_->SendClose(handle_, &id);
    }
    reader_.reset();
    writer_.reset();
    if (!inStep || cut_) {
        Cut();
        if (!late.message.empty()) error_ = late;
        connectionLost_ = true;
        return false;
    }
    if (!writing) {
        unanswered_.push_back(id);
        return true;
    }
    uint32_t code = SSH_FX_OK;
    if (!AnswerStatus(id, "The server did not keep the file", &code, error_)) return false;
    if (!ok) error_ = late;
    return ok && code == SSH_FX_OK;
}
