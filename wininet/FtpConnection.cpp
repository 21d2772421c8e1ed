#include "wininet/FtpConnection.h"

#include <cstdio>
#include <cwctype>
#include <memory>

#include "wininet/NameResolver.h"
#include "wininet/ServerCertificate.h"
#include "wininet/ServerText.h"
#include "wininet/TlsStream.h"
#include "wininet/WildcardMatch.h"

namespace {

// A listing larger than this is refused rather than held in memory.
constexpr size_t kMaxListingBytes = 256u << 20;

// How long the replies to an abort may take in all. A cancel waits for them,
// so a server that does not answer at once loses the connection instead, and
// the cancel still gives the window back within a second.
constexpr DWORD kAbortReplyMs = 1000;
// How long an upload's data connection stays open after ABOR: long enough
// for a server that reads commands during a transfer to take the ABOR before
// it sees the reset; one that reads none (vsftpd) answers after the reset.
constexpr DWORD kAbortBeforeResetMs = 300;

// Anonymous logins send a placeholder mail address as the password.
const wchar_t kAnonymousUser[] = L"anonymous";
const wchar_t kAnonymousPassword[] = L"guest@";

// Errors after which replies may still be on their way, so that the next
// command could be answered by an old reply.
bool LosesTrackOfReplies(DWORD error) {
    switch (error) {
        case ERROR_INTERNET_TIMEOUT:
        case ERROR_INTERNET_CONNECTION_ABORTED:
        case ERROR_INTERNET_CONNECTION_RESET:
        case ERROR_INTERNET_OPERATION_CANCELLED:
        case ERROR_INTERNET_INVALID_OPERATION:
        case ERROR_INTERNET_CANNOT_CONNECT:
        case ERROR_FTP_DROPPED:
            return true;
        default:
            return false;
    }
}

std::wstring AddressToText(const sockaddr_storage& address) {
    char text[64] = "";
    AddressText(address, text, sizeof(text));
    return DecodeServerText(text);
}

// The path in '257 "/a ""quoted"" name" is current', with doubled quotes undone.
bool ParseQuotedPath(const std::string& reply, std::string& path) {
    size_t i = reply.find('"');
    if (i == std::string::npos) return false;
    path.clear();
    for (++i; i < reply.size(); ++i) {
        if (reply[i] != '"') {
            path += reply[i];
        } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
            path += '"';
            ++i;
        } else {
            return true;
        }
    }
    return false;
}

// "[::1]" names the host "::1".
std::wstring HostOf(const std::wstring& server) {
    if (server.size() > 2 && server.front() == L'[' && server.back() == L']')
        return server.substr(1, server.size() - 2);
    return server;
}

// The type "TYPE A" or "TYPE I" sets, '?' for another TYPE, 0 for any other command.
char TypeSetBy(const std::wstring& command) {
    if (_wcsnicmp(command.c_str(), L"TYPE ", 5) != 0) return 0;
    wchar_t type = command.size() == 6 ? towupper(command[5]) : 0;
    return type == L'A' || type == L'I' ? static_cast<char>(type) : '?';
}

bool MeansWholeFolder(const std::wstring& leaf) {
    return leaf.empty() || leaf == L"*" || leaf == L"*.*";
}

}  // namespace

FtpConnection::FtpConnection(std::shared_ptr<InternetHandle> session, DWORD flags,
                             DWORD_PTR context)
    : InternetHandle(INTERNET_HANDLE_TYPE_CONNECT_FTP, std::move(session), context),
      passive_((flags & INTERNET_FLAG_PASSIVE) != 0),
      tlsFlags_(flags & (INTERNET_FLAG_FTP_TLS_REQUIRED | INTERNET_FLAG_FTP_TLS_IF_AVAILABLE)) {}

FtpConnection::Lock FtpConnection::Acquire() {
    return Lock(mutex_, std::chrono::milliseconds(FtpIdleBoundMs()));
}

DWORD FtpConnection::Usable(const Lock& lock) const {
    if (!lock.owns_lock() || transferOpen_) return ERROR_FTP_TRANSFER_IN_PROGRESS;
    return broken_ ? ERROR_FTP_DROPPED : 0;
}

void FtpConnection::Abandon() {
    broken_ = true;
    control_.Abort();
    CutWatchedData();
}

void FtpConnection::WatchData(FtpSocket* socket) {
    std::lock_guard<std::mutex> lock(watchMutex_);
    watchedData_ = socket;
}

void FtpConnection::CutWatchedData() {
    std::lock_guard<std::mutex> lock(watchMutex_);
    if (watchedData_) watchedData_->Abort();
}

DWORD FtpConnection::Failed(DWORD error) {
    if (LosesTrackOfReplies(error)) Abandon();
    return error;
}

std::string FtpConnection::EncodePath(const std::wstring& path) const {
    std::string bytes;
    size_t start = 0;
    for (;;) {
        size_t slash = path.find(L'/', start);
        std::wstring part = path.substr(start, slash - start);
        bytes += legacyNames_.count(part) ? EncodeLatin1(part) : EncodeServerText(part);
        if (slash == std::wstring::npos) return bytes;
        bytes += '/';
        start = slash + 1;
    }
}

void FtpConnection::RememberLegacyNames(const std::wstring& path) {
    size_t start = 0;
    for (size_t slash; (slash = path.find(L'/', start)) != std::wstring::npos; start = slash + 1)
        legacyNames_.insert(path.substr(start, slash - start));
    legacyNames_.insert(path.substr(start));
}

DWORD FtpConnection::Open(const std::wstring& server, INTERNET_PORT port, const std::wstring& user,
                          const std::wstring& password) {
    Lock lock = Acquire();
    DWORD error = ConnectControl(server, port);
    if (!error) error = ReadGreeting();
    if (!error && tlsFlags_) error = StartTls(server, port ? port : INTERNET_DEFAULT_FTP_PORT);
    if (!error) error = Login(user, password);
    if (!error && tls_) error = ProtectData();
    return Failed(error);
}

DWORD FtpConnection::ConnectControl(const std::wstring& server, INTERNET_PORT port) {
    std::wstring host = HostOf(server);
    ReportStatus(INTERNET_STATUS_RESOLVING_NAME, server.c_str(),
                 static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    std::vector<sockaddr_storage> addresses;
    if (ResolveName(EncodeServerText(host), port ? port : INTERNET_DEFAULT_FTP_PORT, addresses))
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    std::wstring resolved = AddressToText(addresses.front());
    ReportStatus(INTERNET_STATUS_NAME_RESOLVED, resolved.c_str(),
                 static_cast<DWORD>((resolved.size() + 1) * sizeof(wchar_t)));

    DWORD error = ERROR_INTERNET_CANNOT_CONNECT;
    for (const sockaddr_storage& address : addresses) {
        std::wstring text = AddressToText(address);
        DWORD length = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        ReportStatus(INTERNET_STATUS_CONNECTING_TO_SERVER, text.c_str(), length);
        error = control_.Connect(
            reinterpret_cast<const sockaddr*>(&address),
            address.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in));
        if (!error) {
            ReportStatus(INTERNET_STATUS_CONNECTED_TO_SERVER, text.c_str(), length);
            return 0;
        }
        if (error == ERROR_INTERNET_OPERATION_CANCELLED) break;
    }
    return error;
}

DWORD FtpConnection::ReadGreeting() {
    FtpReply reply;
    DWORD error;
    do {
        error = control_.ReadReply(reply);
    } while (!error && reply.Class() == 1);
    if (error == ERROR_FTP_DROPPED || (!error && reply.Class() != 2))
        return ERROR_INTERNET_CANNOT_CONNECT;
    return error;
}

DWORD FtpConnection::StartTls(const std::wstring& server, INTERNET_PORT port) {
    ReportStatus(INTERNET_STATUS_FTP_SECURING, nullptr, 0);
    FtpReply reply;
    DWORD error = control_.Command("AUTH TLS", reply);
    if (error) return error;
    std::wstring host = HostOf(server);
    // Only a refusal lets a connection that merely prefers TLS go on in the clear.
    if (reply.Class() == 4 || reply.Class() == 5) return AskAboutPlainLogin(host);
    if (reply.code != 234) return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    auto context = std::make_unique<TlsContext>();
    if ((error = context->Start(EncodeServerText(host)))) return error;
    if ((error = control_.StartTls(*context))) return error;
    tls_ = std::move(context);
    serverChain_ = control_.Socket().Tls()->PeerChain();
    if ((error = AskAboutCertificate(host, port))) return error;
    ReportStatus(INTERNET_STATUS_FTP_SECURED, nullptr, 0);
    return 0;
}

// Nothing is sent before this returns: the password goes out in the clear
// only when the caller says so for this login.
DWORD FtpConnection::AskAboutPlainLogin(const std::wstring& host) {
    if (tlsFlags_ & INTERNET_FLAG_FTP_TLS_REQUIRED) {
        ReportStatus(INTERNET_STATUS_FTP_TLS_REFUSED, nullptr, 0);
        return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    }
    FTP_PLAIN_LOGIN question = {host.c_str(), FALSE};
    ReportStatus(INTERNET_STATUS_FTP_TLS_REFUSED, &question, sizeof(question));
    return question.accept ? 0 : ERROR_FTP_PLAIN_LOGIN_DECLINED;
}

// Nothing is sent before this returns: an unverified server gets no password.
DWORD FtpConnection::AskAboutCertificate(const std::wstring& host, INTERNET_PORT port) {
    ServerCertificate verdict;
    DWORD error = JudgeCertificate(serverChain_, host, verdict);
    if (error || !verdict.error) return error;
    FTP_SERVER_CERTIFICATE question = {host.c_str(),
                                       port,
                                       verdict.error,
                                       verdict.subject.c_str(),
                                       verdict.issuer.c_str(),
                                       verdict.validFrom,
                                       verdict.validTo,
                                       verdict.sha256.c_str(),
                                       FALSE};
    ReportStatus(INTERNET_STATUS_FTP_CERTIFICATE, &question, sizeof(question));
    return question.accept && FtpCertificateCanBeAccepted(question) ? 0 : verdict.error;
}

DWORD FtpConnection::ProtectData() {
    FtpReply reply;
    DWORD error = control_.Command("PBSZ 0", reply);
    if (!error && reply.Class() == 2) error = control_.Command("PROT P", reply);
    return !error && reply.Class() != 2 ? ERROR_INTERNET_SECURITY_CHANNEL_ERROR : error;
}

// Started after the transfer command: some servers drop a data connection
// whose handshake comes first. A failed handshake leaves the server's reply
// (such as "522 session reuse required") as the last response.
DWORD FtpConnection::SecureDataChannel(FtpDataChannel& channel) {
    DWORD error = channel.Socket().StartTls(*tls_, true);
    if (!error && channel.Socket().Tls()->PeerChain() != serverChain_)
        error = ERROR_FTP_DATA_CERTIFICATE_MISMATCH;
    if (!error) return 0;
    channel.Socket().Close();
    if (LosesTrackOfReplies(error)) return error;
    FtpReply reply;
    DWORD replyError = control_.ReadReply(reply);
    return replyError ? replyError : error;
}

DWORD FtpConnection::ReadFeatures() {
    // Feature lines start with a blank; the first and last lines carry the code.
    FtpReply reply;
    DWORD error = control_.Command("FEAT", reply);
    if (error || reply.code != 211) return error;
    size_t start = 0;
    while ((start = reply.text.find("\r\n ", start)) != std::string::npos) {
        start += 3;
        std::string feature = reply.text.substr(start, 4);
        if (_stricmp(feature.c_str(), "MLST") == 0) hasMlst_ = true;
        if (_stricmp(feature.c_str(), "UTF8") == 0) hasUtf8_ = true;
    }
    return 0;
}

DWORD FtpConnection::Login(const std::wstring& user, const std::wstring& password) {
    bool anonymous = user.empty();
    std::string name = EncodeServerText(anonymous ? kAnonymousUser : user);
    std::string secret =
        EncodeServerText(anonymous && password.empty() ? kAnonymousPassword : password);
    FtpReply reply;
    DWORD error = control_.Command("USER " + name, reply);
    if (!error && reply.Class() == 3) error = control_.Command("PASS " + secret, reply);
    if (error) return error == ERROR_FTP_DROPPED ? ERROR_INTERNET_LOGIN_FAILURE : error;
    if (reply.Class() != 2) return ERROR_INTERNET_LOGIN_FAILURE;
    if ((error = ReadFeatures())) return error;
    if (hasUtf8_ && (error = control_.Command("OPTS UTF8 ON", reply))) return error;
    return SetType('I');
}

DWORD FtpConnection::SetType(char type) {
    if (type_ == type) return 0;
    FtpReply reply;
    DWORD error = control_.Command(std::string("TYPE ") + type, reply);
    if (error) return error;
    if (reply.Class() != 2) return ERROR_INTERNET_EXTENDED_ERROR;
    type_ = type;
    return 0;
}

DWORD FtpConnection::PathCommand(const char* verb, const std::wstring& path) {
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    knownDirectory_.clear();
    FtpReply reply;
    DWORD error = control_.Command(verb + (" " + EncodePath(path)), reply);
    if (!error && reply.Class() != 2) error = ERROR_INTERNET_EXTENDED_ERROR;
    return Failed(error);
}

// A change by a relative name is followed at once by the question where it
// led, so that the answer, which callers then ask for, costs no wait of its
// own; a full path is known already. A refused change shows its own reply. A
// change made before the connection was lost succeeds, and the calls after it
// fail as lost.
DWORD FtpConnection::ChangeDirectory(const std::wstring& path) {
    if (path.empty() || path[0] == L'/') return PathCommand("CWD", path);
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    knownDirectory_.clear();
    FtpReply changed, current;
    DWORD error = control_.SendBoth("CWD " + EncodePath(path), "PWD");
    if (!error) error = control_.ReadReply(changed);
    if (error) return Failed(error);
    DWORD asked = control_.ReadReply(current);
    if (asked) Abandon();
    if (changed.Class() != 2) {
        if (!asked) RecordAsLastResponse(changed);
        return asked ? asked : ERROR_INTERNET_EXTENDED_ERROR;
    }
    // Without a path in the reply, CurrentDirectory asks the server itself.
    if (!asked) ReadCurrentPath(current, knownDirectory_);
    return 0;
}

DWORD FtpConnection::RemoveFile(const std::wstring& name) { return PathCommand("DELE", name); }

DWORD FtpConnection::RemoveFolder(const std::wstring& name) { return PathCommand("RMD", name); }

DWORD FtpConnection::MakeFolder(const std::wstring& name) { return PathCommand("MKD", name); }

DWORD FtpConnection::Rename(const std::wstring& from, const std::wstring& to) {
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    FtpReply reply;
    DWORD error = control_.Command("RNFR " + EncodePath(from), reply);
    if (!error && reply.Class() != 3) error = ERROR_INTERNET_EXTENDED_ERROR;
    if (!error) error = control_.Command("RNTO " + EncodePath(to), reply);
    if (!error && reply.Class() != 2) error = ERROR_INTERNET_EXTENDED_ERROR;
    return Failed(error);
}

DWORD FtpConnection::Command(const std::wstring& command) {
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    knownDirectory_.clear();
    // A type already in force is not asked for again; no other command changes it.
    const char type = TypeSetBy(command);
    if (type && type == type_) return 0;
    if (type) type_ = 0;
    FtpReply reply;
    DWORD error = control_.Command(EncodeServerText(command), reply);
    if (!error && type && reply.Class() == 2 && type != '?') type_ = type;
    // A preliminary reply announces a transfer without a data connection:
    // its final reply would answer the next command.
    if (!error && reply.Class() == 1) error = ERROR_INTERNET_INVALID_OPERATION;
    if (!error && reply.Class() != 2 && reply.Class() != 3) error = ERROR_INTERNET_EXTENDED_ERROR;
    if (!error && _wcsnicmp(command.c_str(), L"REST ", 5) == 0)
        restart_ = EncodeServerText(command);
    return Failed(error);
}

DWORD FtpConnection::CommandWithNext(const std::wstring& command, bool keepReply) {
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    control_.SendWithNext(EncodeServerText(command), keepReply);
    return 0;
}

DWORD FtpConnection::Settle() {
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    if (!control_.HasWaiting()) return 0;
    FtpReply reply;
    return Failed(control_.Command("NOOP", reply));
}

// Also while the transfer the reply came with is open.
DWORD FtpConnection::TakeKeptReply(DWORD& code) {
    Lock lock = Acquire();
    if (!lock.owns_lock()) return ERROR_INTERNET_TIMEOUT;
    FtpReply reply;
    if (!control_.TakeKept(reply)) return ERROR_NO_MORE_ITEMS;
    code = static_cast<DWORD>(reply.code);
    return 0;
}

DWORD FtpConnection::ReadCurrentPath(const FtpReply& reply, std::wstring& path) {
    std::string quoted;
    if (reply.code != 257 || !ParseQuotedPath(reply.text, quoted))
        return ERROR_INTERNET_EXTENDED_ERROR;
    bool legacy = false;
    path = DecodeServerText(quoted, &legacy);
    if (legacy) RememberLegacyNames(path);
    return 0;
}

DWORD FtpConnection::CurrentDirectory(std::wstring& path) {
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    if (!knownDirectory_.empty()) {
        path = knownDirectory_;
        return 0;
    }
    FtpReply reply;
    DWORD error = control_.Command("PWD", reply);
    return Failed(error ? error : ReadCurrentPath(reply, path));
}

// The command goes out while a passive connect completes: one wait instead of
// two; with no restart offset to lose to a refusal, it goes out with EPSV, so
// that one wait instead of two precedes the data. In active mode a refused
// PORT and EPRT, a 425 (the server could not connect) or no connection within
// the idle bound turn to passive mode.
DWORD FtpConnection::StartTransfer(const std::string& command, FtpDataChannel& channel) {
    const bool passive = passive_;
    DWORD error = channel.Prepare(control_, passive, dataModes_, dataWake_,
                                  restart_.empty() ? &command : nullptr);
    // Its reply, still to come, would answer the next command.
    if (error && channel.CommandSent()) return ERROR_INTERNET_INVALID_OPERATION;
    if (error && !passive && dataModes_.activeRefused) return RetryPassive(command, channel, false);
    if (!error && !channel.CommandSent()) error = control_.Send(command);
    if (!error) error = channel.FinishPassive();
    FtpReply reply;
    bool dataFirst = false;
    if (!error && passive && !tls_ && !channel.Upload())
        error = AwaitTransferStart(channel.Socket(), reply, dataFirst);
    else if (!error)
        error = control_.ReadReply(reply);
    if (!error && dataFirst) {
        control_.OwePreliminary();
        return 0;
    }
    if (!error && !passive && reply.code == 425) return RetryPassive(command, channel, true);
    if (!error && reply.Class() != 1) error = ERROR_INTERNET_EXTENDED_ERROR;
    if (!error && (error = channel.Establish(control_)))
        return EndUnestablished(command, channel, error);
    return !error && tls_ ? SecureDataChannel(channel) : error;
}

// vsftpd sends its 150 only once it has the data connection, right before the
// data: taking the data first lets the 150 come with the final reply, one
// receive fewer per file. Data before any reply means the server took the
// command. An end of the data before it (an empty file, or a refusal that
// closed the connection) leaves the reply to say which.
DWORD FtpConnection::AwaitTransferStart(FtpSocket& data, FtpReply& reply, bool& dataFirst) {
    dataFirst = false;
    ULONGLONG deadline = GetTickCount64() + FtpReplyBoundMs();
    for (;;) {
        if (control_.ReplyReceived()) return control_.ReadReply(reply);
        bool came = false;
        DWORD error = data.ReceiveAhead(came);
        if (error) return error;
        if (came) {
            dataFirst = !data.EndedAhead();
            return dataFirst ? 0 : control_.ReadReply(reply);
        }
        bool nothingYet = false;
        if ((error = control_.ReceiveIfThere(nothingYet))) return error;
        if (nothingYet && (error = FtpSocket::WaitForEither(control_.Socket(), data, deadline)))
            return error;
    }
}

DWORD FtpConnection::RetryPassive(const std::string& command, FtpDataChannel& channel, bool sent) {
    passive_ = true;
    fellBack_ = true;
    channel.Renew();
    if (!sent || restart_.empty()) return StartTransfer(command, channel);
    FtpReply reply;
    DWORD error = control_.Command(restart_, reply);
    if (!error && reply.Class() != 3) error = ERROR_INTERNET_EXTENDED_ERROR;
    return error ? error : StartTransfer(command, channel);
}

// The server announced the transfer, but its data connection could not be
// taken (one from another host, or one reset before it was accepted). The
// transfer is cut as a cancel cuts it, so that its replies are read and the
// connection stays usable; the transfer fails with the server's reply. One
// that never came is tried again passively. The connection turns passive
// even when the cut fails, so that a caller who logs in again can tell.
DWORD FtpConnection::EndUnestablished(const std::string& command, FtpDataChannel& channel,
                                      DWORD error) {
    if (error == ERROR_INTERNET_OPERATION_CANCELLED) return error;
    const bool noConnectBack = !channel.Passive() && error == ERROR_INTERNET_TIMEOUT;
    if (noConnectBack) {
        passive_ = true;
        fellBack_ = true;
    }
    DWORD cut = CutTransfer(channel.Socket(), false);
    if (cut) return cut;
    return noConnectBack ? RetryPassive(command, channel, true) : ERROR_INTERNET_EXTENDED_ERROR;
}

// The server answers an abort twice, for the transfer (426, or 226 when it
// had ended) and for ABOR itself (226 or 225), or only with 225 when no data
// had moved yet. The transfer's reply is the one to show. An upload's data
// connection is reset only once the server took the ABOR (or did not in
// time): a server that saw the reset first could take it for the end of a
// complete file. A download's goes at once, so the server stops sending.
DWORD FtpConnection::CutTransfer(FtpSocket& data, bool upload) {
    data.AbortWithReset();
    if (!upload) data.Close();
    ULONGLONG deadline = GetTickCount64() + kAbortReplyMs;
    auto left = [deadline] {
        ULONGLONG now = GetTickCount64();
        return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    };
    FtpReply transfer, abort;
    DWORD error = control_.SendAbort();
    if (!error) error = control_.ReadReplyWithin(upload ? kAbortBeforeResetMs : left(), transfer);
    bool waited = upload && error == ERROR_INTERNET_TIMEOUT;
    data.Close();
    // A server that reads no command during a transfer answers once the reset ended it.
    if (waited) error = control_.ReadReplyWithin(left(), transfer);
    if (!error && transfer.code != 225) error = control_.ReadReplyWithin(left(), abort);
    if (!error) RecordAsLastResponse(transfer);
    return error;
}

DWORD FtpConnection::ReceiveListing(FtpSocket& data, FtpListingReader& reader) {
    char chunk[64 * 1024];
    size_t total = 0;
    for (size_t received = 1; received > 0; total += received) {
        if (DWORD error = data.Receive(chunk, sizeof(chunk), received)) return error;
        if (total > kMaxListingBytes || !reader.Add(chunk, received))
            return ERROR_INTERNET_INCORRECT_FORMAT;
    }
    return 0;
}

// A listing the server garbles is cut short, and the connection stays usable.
DWORD FtpConnection::ReadListing(const std::wstring& folder, std::vector<FtpListEntry>& entries) {
    std::string command = hasMlst_ ? "MLSD" : "LIST";
    if (!folder.empty()) command += " " + EncodePath(folder);
    FtpDataChannel channel;
    DWORD error = StartTransfer(command, channel);
    if (error) return error;
    SYSTEMTIME now;
    GetSystemTime(&now);
    FtpListingReader reader(hasMlst_ ? FtpListStyle::kMlsd : FtpListStyle::kList, now);
    WatchData(&channel.Socket());
    error = ReceiveListing(channel.Socket(), reader);
    WatchData(nullptr);
    if (error == ERROR_INTERNET_INCORRECT_FORMAT) {
        DWORD cut = CutTransfer(channel.Socket(), false);
        error = cut ? cut : error;
    } else {
        channel.Socket().Close();
        FtpReply reply;
        if (!error) error = control_.ReadReply(reply);
        if (!error && reply.Class() != 2) error = ERROR_INTERNET_EXTENDED_ERROR;
    }
    // A listing that broke off still hands on what surely arrived.
    entries = error ? reader.TakeWholeLines() : reader.Finish();
    return error;
}

DWORD FtpConnection::FindOne(const std::wstring& path, const std::wstring& leaf,
                             std::vector<FtpListEntry>& entries) {
    FtpReply reply;
    DWORD error = control_.Command("MLST " + EncodePath(path), reply);
    if (error) return error;
    if (reply.Class() != 2) return ERROR_NO_MORE_FILES;
    // The fact line starts with a blank; its name may be a full path, so the
    // entry is named by the leaf that was asked for.
    size_t line = reply.text.find("\r\n ");
    if (line == std::string::npos) return ERROR_NO_MORE_FILES;
    std::string facts = reply.text.substr(line + 3);
    facts = facts.substr(0, std::min(facts.find(' '), facts.find("\r\n")));
    FtpListEntry entry;
    if (!ParseMlsxLine(facts + " " + EncodePath(leaf), entry)) return ERROR_NO_MORE_FILES;
    entry.name = leaf;
    entries.push_back(std::move(entry));
    return 0;
}

DWORD FtpConnection::Find(const std::wstring& pattern, std::vector<FtpListEntry>& entries) {
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    DWORD error = 0;
    size_t slash = pattern.rfind(L'/');
    std::wstring folder = slash == std::wstring::npos ? L"" : pattern.substr(0, slash ? slash : 1);
    std::wstring leaf = slash == std::wstring::npos ? pattern : pattern.substr(slash + 1);
    if (!MeansWholeFolder(leaf) && !HasWildcard(leaf) && hasMlst_)
        return Failed(FindOne(pattern, leaf, entries));

    error = ReadListing(folder, entries);
    for (const FtpListEntry& entry : entries)
        if (entry.legacyName) legacyNames_.insert(entry.name);
    if (!MeansWholeFolder(leaf)) {
        std::vector<FtpListEntry> matching;
        for (FtpListEntry& entry : entries)
            if (MatchesWildcard(leaf, entry.name)) matching.push_back(std::move(entry));
        entries.swap(matching);
    }
    if (error) return Failed(error);
    return entries.empty() ? ERROR_NO_MORE_FILES : 0;
}

DWORD FtpConnection::OpenTransfer(const std::wstring& name, char type, FtpDataChannel& channel) {
    Lock lock = Acquire();
    if (DWORD error = Usable(lock)) return error;
    DWORD error = SetType(type);
    if (!error)
        error = StartTransfer((channel.Upload() ? "STOR " : "RETR ") + EncodePath(name), channel);
    restart_.clear();
    if (!error) transferOpen_ = true;
    return Failed(error);
}

DWORD FtpConnection::FinishTransfer() {
    Lock lock = Acquire();
    if (!lock.owns_lock()) {
        Abandon();
        return ERROR_INTERNET_TIMEOUT;
    }
    transferOpen_ = false;
    if (broken_) return ERROR_FTP_DROPPED;
    FtpReply reply;
    DWORD error = control_.ReadReply(reply);
    if (!error && reply.Class() != 2) error = ERROR_INTERNET_EXTENDED_ERROR;
    return Failed(error);
}

DWORD FtpConnection::AbortTransfer(FtpSocket& data, bool upload) {
    Lock lock = Acquire();
    if (!lock.owns_lock() || broken_) {
        data.Close();
        Abandon();
        return lock.owns_lock() ? ERROR_FTP_DROPPED : ERROR_INTERNET_TIMEOUT;
    }
    transferOpen_ = false;
    return Failed(CutTransfer(data, upload));
}

DWORD FtpConnection::Close() {
    Lock lock(mutex_, std::try_to_lock);
    // Polite when idle; a call blocked on another thread is cut short instead.
    if (lock.owns_lock() && !broken_ && control_.Socket().IsOpen()) control_.Send("QUIT");
    control_.Abort();
    CutWatchedData();
    return 0;
}
