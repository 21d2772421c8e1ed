#include "ftp/SftpFS.h"

#include <cwchar>

#include "app/FtpClientApp.h"
#include "ftp/EntryName.h"
#include "ftp/ServerReason.h"
#include "ftp/SftpRemoteFile.h"
#include "settings/TrustedHostKeys.h"
#include "ssh/SshQuestions.h"
#include "wininet/FtpTime.h"
#include "wininet/ServerText.h"

namespace {

// 1970-01-01 in a FILETIME's 100 ns steps since 1601.
const FileStamp kUnixEpoch = 116444736000000000ULL;
const FileStamp kStepsPerSecond = 10000000ULL;
// A key whose passphrase was mistyped may be asked for this often in one login.
const int kPassphraseTries = 3;

FileStamp StampOfUnixTime(int64_t seconds) {
    return seconds > 0 ? kUnixEpoch + static_cast<FileStamp>(seconds) * kStepsPerSecond : 0;
}

// A link is shown as one; a link to a folder opens like a folder.
void Describe(const SftpEntry& entry, const std::wstring& name, WIN32_FIND_DATAW* data) {
    *data = WIN32_FIND_DATAW();
    wcsncpy(data->cFileName, name.c_str(), MAX_PATH - 1);
    bool folder = entry.folder || (entry.link && entry.linkToFolder);
    data->dwFileAttributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (entry.link) data->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(entry.size);
    data->ftLastWriteTime = ToFileTime(StampOfUnixTime(entry.modified));
    data->dwReserved0 = kListedUtc;
}

}  // namespace

SftpFS::SftpFS(const std::wstring& privateKeyFile)
    : nextListed(0),
      restartOffset(0),
      keyFile(privateKeyFile),
      port(kDefaultPort),
      declined(false) {}

SftpFS::~SftpFS() {
    StopWorkers();
    Disconnect();
}

std::shared_ptr<SftpSession> SftpFS::Current() const {
    std::lock_guard<std::mutex> hold(sessionLock);
    return session;
}

// The session let go is closed here, outside the lock, unless a cut still holds
// it.
void SftpFS::Install(std::shared_ptr<SftpSession> next) {
    {
        std::lock_guard<std::mutex> hold(sessionLock);
        session.swap(next);
    }
    next.reset();
}

bool SftpFS::IsConnected() const { return Current() != nullptr; }

HRESULT SftpFS::Connect(const wchar_t* serverName, const wchar_t* userName,
                        const wchar_t* userPassword, INTERNET_PORT serverPort) {
    std::wstring host = serverName ? serverName : L"", login = userName ? userName : L"",
                 secret = userPassword ? userPassword : L"";
    server.swap(host);
    user.swap(login);
    password.swap(secret);
    port = serverPort ? serverPort : kDefaultPort;
    declined = false;
    auto fresh = std::make_shared<SftpSession>();
    SetLoggingIn(fresh);
    Tell(INTERNET_STATUS_CONNECTING_TO_SERVER);
    bool connected = fresh->Connect(EncodeServerText(server), port,
                                    [this](const SshHostKey& key) { return JudgeHostKey(key); });
    std::string home;
    bool ready = connected && LogIn(*fresh) && fresh->RealPath(".", home);
    SetLoggingIn(nullptr);
    // The status window serves one login; a later one must not report to a dialog
    // gone by then.
    statusWindow = nullptr;
    if (!ready) {
        connectError = declined    ? ERROR_INTERNET_OPERATION_CANCELLED
                       : connected ? ERROR_INTERNET_LOGIN_FAILURE
                                   : ERROR_INTERNET_CANNOT_CONNECT;
        std::wstring reason = DecodeServerText(fresh->LastError().message);
        fresh.reset();  // its close may clear the thread's error
        LeaveServerReason(connectError, reason);
        return E_FAIL;
    }
    connectError = 0;
    currentDir = DecodeServerText(home);
    Install(std::move(fresh));
    return S_OK;
}

void SftpFS::Tell(DWORD status, void* information, DWORD size) {
    if (!statusWindow) return;
    StatusReport report = {status, information, size};
    SendMessageW(statusWindow, WM_APP_CONNECT_STATUS, status, reinterpret_cast<LPARAM>(&report));
}

bool SftpFS::JudgeHostKey(const SshHostKey& key) {
    std::wstring fingerprint = DecodeServerText(key.fingerprint);
    std::wstring trusted =
        GetApp() ? TrustedHostKeys::Find(GetApp()->registry, server.c_str(), port) : L"";
    if (!fingerprint.empty() && (fingerprint == trusted || fingerprint == acceptedKey)) return true;
    SshHostKeyQuestion question;
    question.host = server;
    question.port = port;
    question.key = key;
    question.trustedFingerprint = trusted;
    Tell(kSshStatusHostKey, &question, sizeof question);
    if (question.accept && !fingerprint.empty()) {
        acceptedKey = fingerprint;
        return true;
    }
    declined = true;
    return false;
}

// A key that needs its passphrase asks for it while the login waits; nothing
// of a key that could not be opened has gone to the server.
bool SftpFS::LogIn(SftpSession& fresh) {
    Tell(INTERNET_STATUS_FTP_SECURED);
    if (keyFile.empty())
        return fresh.LoginPassword(EncodeServerText(user), EncodeServerText(password));
    for (int asked = 0;; ++asked) {
        if (fresh.LoginKeyFile(EncodeServerText(user), keyFile, passphrase)) return true;
        if (!fresh.LastError().keyLocked || asked == kPassphraseTries ||
            !AskPassphrase(asked > 0 || !passphrase.empty()))
            return false;
    }
}

bool SftpFS::AskPassphrase(bool wrongBefore) {
    if (!statusWindow) return false;
    SshPassphraseQuestion question;
    question.keyFile = keyFile;
    question.wrongBefore = wrongBefore;
    Tell(kSshStatusPassphrase, &question, sizeof question);
    if (!question.given) {
        declined = true;
        return false;
    }
    passphrase = question.passphrase;
    return true;
}

void SftpFS::Disconnect() {
    FindClose();
    Install(nullptr);
}

void SftpFS::CutConnection() {
    std::lock_guard<std::mutex> hold(sessionLock);
    for (auto* open : {&session, &loggingIn})
        if (*open) (*open)->Cut();
}

void SftpFS::SetLoggingIn(std::shared_ptr<SftpSession> fresh) {
    std::lock_guard<std::mutex> hold(sessionLock);
    loggingIn.swap(fresh);
}

HRESULT SftpFS::Reconnect(const wchar_t* folder) {
    std::wstring target = folder ? folder : L"";
    Disconnect();
    std::wstring host = server, login = user, secret = password;
    if (FAILED(Connect(host.c_str(), login.c_str(), secret.c_str(), port))) return E_FAIL;
    return target.empty() ? S_OK : SetCurrentDir(target.c_str());
}

bool SftpFS::StillAnswers() {
    std::shared_ptr<SftpSession> open = Current();
    std::string path;
    return open && open->RealPath(".", path);
}

std::unique_ptr<RemoteFS> SftpFS::MakeSibling() const {
    std::unique_ptr<SftpFS> sibling(new SftpFS(keyFile));
    sibling->CopyLoginOf(*this);
    return sibling;
}

void SftpFS::TakeConnectionOf(RemoteFS& taken) {
    SftpFS& other = dynamic_cast<SftpFS&>(taken);
    FindClose();
    std::shared_ptr<SftpSession> moved;
    {
        std::lock_guard<std::mutex> hold(other.sessionLock);
        moved.swap(other.session);
    }
    Install(std::move(moved));
    CopyLoginOf(other);
    currentDir = other.currentDir;
}

void SftpFS::CopyLoginOf(const SftpFS& other) {
    server = other.server;
    user = other.user;
    password = other.password;
    keyFile = other.keyFile;
    passphrase = other.passphrase;
    port = other.port;
    acceptedKey = other.acceptedKey;
    clock = other.clock;
}

bool SftpFS::Failed() {
    std::shared_ptr<SftpSession> open = Current();
    bool lost = !open || open->ConnectionLost();
    LeaveServerReason(lost ? ERROR_INTERNET_CONNECTION_ABORTED : ERROR_SFTP_REFUSED,
                      open ? DecodeServerText(open->LastError().message) : std::wstring());
    return false;
}

std::string SftpFS::PathOf(const wchar_t* name) const {
    if (name[0] == L'/') return EncodeServerText(name);
    bool atRoot = currentDir.empty() || currentDir.back() == L'/';
    return EncodeServerText(currentDir + (atRoot ? L"" : L"/") + name);
}

HRESULT SftpFS::FindFirst(WIN32_FIND_DATAW* data) {
    FindClose();
    std::shared_ptr<SftpSession> open = Current();
    if (!open || !open->List(EncodeServerText(currentDir), listed)) {
        listed.clear();
        return Result(Failed());
    }
    return NextSafeEntry(data);
}

HRESULT SftpFS::FindNext(WIN32_FIND_DATAW* data) { return NextSafeEntry(data); }

// Whatever the server lists, no walk ever sees a name that could lead it out
// of the folder it works on, or one too long to name a file here.
HRESULT SftpFS::NextSafeEntry(WIN32_FIND_DATAW* data) {
    while (nextListed < listed.size()) {
        const SftpEntry& entry = listed[nextListed++];
        std::wstring name = DecodeServerText(entry.name);
        if (name.size() >= MAX_PATH || !IsSafeEntryName(name.c_str(), MAX_PATH)) continue;
        Describe(entry, name, data);
        return S_OK;
    }
    FindClose();
    SetLastError(ERROR_NO_MORE_FILES);
    return E_FAIL;
}

HRESULT SftpFS::FindClose() {
    listed.clear();
    nextListed = 0;
    return S_OK;
}

HRESULT SftpFS::SetCurrentDir(const wchar_t* path) {
    std::shared_ptr<SftpSession> open = Current();
    std::string resolved;
    SftpEntry entry;
    if (!open || !open->RealPath(PathOf(path), resolved) || !open->Stat(resolved, entry))
        return Result(Failed());
    if (!entry.folder) {
        LeaveServerReason(ERROR_SFTP_REFUSED, L"Not a folder");
        return E_FAIL;
    }
    currentDir = DecodeServerText(resolved);
    return S_OK;
}

HRESULT SftpFS::GetCurrentDir(wchar_t* buffer, DWORD* length) {
    if (!IsConnected()) return Result(Failed());
    if (currentDir.size() >= *length) {
        *length = static_cast<DWORD>(currentDir.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    wcscpy(buffer, currentDir.c_str());
    *length = static_cast<DWORD>(currentDir.size());
    return S_OK;
}

// A file the server does not know is no failure to explain: no reason is left.
bool SftpFS::Stat(const wchar_t* name, SftpEntry& entry) {
    std::shared_ptr<SftpSession> open = Current();
    return open && open->Stat(PathOf(name), entry);
}

ULONGLONG SftpFS::RemoteFileSize(const wchar_t* name) {
    SftpEntry entry;
    return Stat(name, entry) ? entry.size : 0;
}

bool SftpFS::ServerFileSize(const wchar_t* name, ULONGLONG* size) {
    SftpEntry entry;
    if (!Stat(name, entry)) return false;
    *size = entry.size;
    return true;
}

KnownTime SftpFS::ServerFileTime(const wchar_t* name) {
    SftpEntry entry;
    if (!Stat(name, entry) || entry.modified <= 0) return KnownTime();
    return KnownTime{StampOfUnixTime(entry.modified), true, true};
}

// SFTP keeps whole seconds; a time before 1970 is not set. The answer comes with
// the next request's: a round trip per copied file saved.
bool SftpFS::SetServerFileTime(const wchar_t* name, FileStamp stamp) {
    std::shared_ptr<SftpSession> open = Current();
    if (!open || stamp < kUnixEpoch) return false;
    return open->SetModifiedUnanswered(
        PathOf(name), static_cast<int64_t>((stamp - kUnixEpoch) / kStepsPerSecond));
}

bool SftpFS::Settle() {
    std::shared_ptr<SftpSession> open = Current();
    return open && open->Settle();
}

bool SftpFS::RestartAt(ULONGLONG offset) {
    restartOffset = offset;
    return true;
}

// A listing's times are exact already: none is asked.
RemoteFileHandle SftpFS::OpenRemoteFile(const wchar_t* name, DWORD access, DWORD,
                                        ULONGLONG listedSize, KnownTime*) {
    ULONGLONG offset = restartOffset;
    restartOffset = 0;
    std::shared_ptr<SftpSession> open = Current();
    if (!open) return Failed(), nullptr;
    std::string path = PathOf(name);
    bool opened = access == GENERIC_WRITE ? open->OpenWrite(path, offset)
                                          : open->OpenRead(path, offset, listedSize);
    if (!opened) return Failed(), nullptr;
    return std::make_shared<SftpRemoteFile>(open);
}

HRESULT SftpFS::DeleteRemoteFile(const wchar_t* name) {
    std::shared_ptr<SftpSession> open = Current();
    return Result((open && open->RemoveFile(PathOf(name))) || Failed());
}

HRESULT SftpFS::RenameRemote(const wchar_t* oldName, const wchar_t* newName) {
    if (!IsSafeEntryName(newName, MAX_PATH)) return E_FAIL;
    std::shared_ptr<SftpSession> open = Current();
    return Result((open && open->Rename(PathOf(oldName), PathOf(newName))) || Failed());
}

bool SftpFS::CreateRemoteDir(const wchar_t* name) {
    std::shared_ptr<SftpSession> open = Current();
    return (open && open->MakeFolder(PathOf(name))) || Failed();
}

bool SftpFS::RemoveRemoteDir(const wchar_t* name) {
    std::shared_ptr<SftpSession> open = Current();
    return (open && open->RemoveFolder(PathOf(name))) || Failed();
}
