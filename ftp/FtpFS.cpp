#include "ftp/FtpFS.h"

#include <cwchar>
#include <string>

#include "app/FtpClientApp.h"
#include "framework/FileSize.h"
#include "framework/TextUtil.h"
#include "ftp/EntryName.h"
#include "ftp/FtpRemoteFile.h"
#include "ftp/SharedSession.h"
#include "settings/SessionInfo.h"
#include "wininet/FtpTlsApi.h"
#include "settings/TrustedCertificates.h"

namespace {
const HRESULT kFailure = E_FAIL;

HRESULT StatusOf(BOOL succeeded) { return succeeded ? S_OK : kFailure; }
}  // namespace

FtpFS::FtpFS() : FtpFS(GetApp() && GetApp()->options.GetUsePassive()) {}

FtpFS::FtpFS(bool passiveMode)
    : session(SharedSession::Acquire(&FtpFS::StatusCallback)),
      connection(nullptr),
      listing(nullptr),
      user(),
      password(),
      server(),
      port(INTERNET_DEFAULT_FTP_PORT),
      encryption(kPlainFtp),
      passive(passiveMode),
      timeSetter(TimeSetter::unknown),
      timeSetterWorked(false),
      acceptedCertificate(),
      plainLoginAllowed(false),
      tlsRefused(false),
      certificateDeclined(false) {}

// A worker still running would use the engine after it is gone: stop it first.
FtpFS::~FtpFS() {
    StopWorkers();
    FindClose();
    Disconnect();
    SharedSession::Release();
}

HRESULT FtpFS::Connect(const wchar_t* serverName, const wchar_t* userName,
                       const wchar_t* userPassword, INTERNET_PORT serverPort) {
    // A cut host or password would log in somewhere else: refuse instead.
    if (!CopyText(server, serverName) || !CopyText(user, userName) ||
        !CopyText(password, userPassword))
        return kFailure;
    if (!IsSafeCommandArgument(user) || !IsSafeCommandArgument(password)) return kFailure;
    port = serverPort ? serverPort : INTERNET_DEFAULT_FTP_PORT;
    if (!session) return kFailure;

    DWORD flags = passive ? INTERNET_FLAG_PASSIVE : 0;
    if (encryption == kRequireTls) flags |= INTERNET_FLAG_FTP_TLS_REQUIRED;
    if (encryption == kTlsIfAvailable) flags |= INTERNET_FLAG_FTP_TLS_IF_AVAILABLE;
    tlsRefused = certificateDeclined = false;
    timeSetter = TimeSetter::unknown;
    timeSetterWorked = false;
    // The status callback lists the handle in `connection` as soon as it is
    // made, so that a cut reaches the login; a cut meanwhile has closed it.
    HINTERNET made = InternetConnectW(session, server, port, user, password, INTERNET_SERVICE_FTP,
                                      flags, reinterpret_cast<DWORD_PTR>(this));
    if (made && connection.load() != made) {
        made = nullptr;
        SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
    }
    connectError = made ? 0 : GetLastError();
    if (!made) connection = nullptr;
    // The status window serves one login; a later reconnect must not report
    // to a dialog that is gone by then.
    statusWindow = nullptr;
    if (!made) return kFailure;
    InternetSetStatusCallback(made, nullptr);
    return S_OK;
}

void FtpFS::Disconnect() {
    HINTERNET closed = connection.exchange(nullptr);
    if (closed) InternetCloseHandle(closed);
}

HRESULT FtpFS::Reconnect(const wchar_t* folder) {
    if (FellBackToPassive()) passive = true;
    Disconnect();
    if (FAILED(Connect(server, user, password, port))) return kFailure;
    return folder && folder[0] ? SetCurrentDir(folder) : S_OK;
}

bool FtpFS::StillAnswers() {
    wchar_t path[kTextCapacity];
    DWORD length = kTextCapacity;
    return SUCCEEDED(GetCurrentDir(path, &length));
}

std::unique_ptr<RemoteFS> FtpFS::MakeSibling() const {
    std::unique_ptr<FtpFS> sibling(new FtpFS(passive || FellBackToPassive()));
    sibling->CopyLoginOf(*this);
    return sibling;
}

void FtpFS::TakeConnectionOf(RemoteFS& taken) {
    FtpFS& other = dynamic_cast<FtpFS&>(taken);
    FindClose();
    Disconnect();
    connection = other.connection.exchange(nullptr);
    CopyLoginOf(other);
    passive = other.passive;
    timeSetter = other.timeSetter;
    timeSetterWorked = other.timeSetterWorked;
}

void FtpFS::CopyLoginOf(const FtpFS& other) {
    CopyText(server, other.server);
    CopyText(user, other.user);
    CopyText(password, other.password);
    port = other.port;
    encryption = other.encryption;
    clock = other.clock;
    CopyText(acceptedCertificate, other.acceptedCertificate);
    plainLoginAllowed = other.plainLoginAllowed;
    tlsRefused = other.tlsRefused;
}

bool FtpFS::FellBackToPassive() const {
#ifdef INTERNET_OPTION_FTP_PASSIVE_FALLBACK
    DWORD fellBack = 0, size = sizeof(fellBack);
    HINTERNET open = connection;
    return open &&
           InternetQueryOptionW(open, INTERNET_OPTION_FTP_PASSIVE_FALLBACK, &fellBack, &size) &&
           fellBack;
#else
    return false;
#endif
}

bool FtpFS::IsEncrypted() const {
    DWORD flags = 0, size = sizeof(flags);
    return connection &&
           InternetQueryOptionW(connection, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size) &&
           (flags & SECURITY_FLAG_SECURE);
}

void CALLBACK FtpFS::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information,
                                    DWORD informationLength) {
    FtpFS* engine = reinterpret_cast<FtpFS*>(context);
    if (!engine) return;
    StatusReport report = {status, information, informationLength};
    if (status == INTERNET_STATUS_HANDLE_CREATED) {
        engine->connection =
            reinterpret_cast<HINTERNET>(static_cast<INTERNET_ASYNC_RESULT*>(information)->dwResult);
        return;
    }
    if (status == INTERNET_STATUS_FTP_TLS_REFUSED) engine->tlsRefused = true;
    if (status == INTERNET_STATUS_FTP_CERTIFICATE) return engine->JudgeCertificate(report);
    if (status == INTERNET_STATUS_FTP_TLS_REFUSED && information)
        return engine->JudgePlainLogin(report);
    if (!engine->statusWindow) return;
    SendMessageW(engine->statusWindow, WM_APP_CONNECT_STATUS, status,
                 reinterpret_cast<LPARAM>(&report));
}

void FtpFS::JudgeCertificate(const StatusReport& report) {
    auto& certificate = *static_cast<FTP_SERVER_CERTIFICATE*>(report.information);
    std::wstring trusted =
        TrustedCertificates::Find(GetApp()->registry, certificate.host, certificate.port);
    bool known =
        trusted == certificate.sha256 || wcscmp(acceptedCertificate, certificate.sha256) == 0;
    if (known && FtpCertificateCanBeAccepted(certificate)) {
        certificate.accept = TRUE;
        return;
    }
    if (statusWindow)
        SendMessageW(statusWindow, WM_APP_CONNECT_STATUS, report.statusCode,
                     reinterpret_cast<LPARAM>(&report));
    if (certificate.accept && FtpCertificateCanBeAccepted(certificate))
        CopyText(acceptedCertificate, certificate.sha256);
    else
        certificateDeclined = true;
}

// An anonymous login has no secret to lose; anything else waits for the user.
void FtpFS::JudgePlainLogin(const StatusReport& report) {
    auto& question = *static_cast<FTP_PLAIN_LOGIN*>(report.information);
    if (plainLoginAllowed || user[0] == L'\0' || _wcsicmp(user, L"anonymous") == 0) {
        question.accept = TRUE;
        return;
    }
    if (statusWindow)
        SendMessageW(statusWindow, WM_APP_CONNECT_STATUS, report.statusCode,
                     reinterpret_cast<LPARAM>(&report));
    if (question.accept) plainLoginAllowed = true;
}

HRESULT FtpFS::FindFirst(WIN32_FIND_DATAW* data) {
    FindClose();
    listing = FtpFindFirstFileW(connection, nullptr, data, INTERNET_FLAG_NO_CACHE_WRITE,
                                reinterpret_cast<DWORD_PTR>(this));
    if (!listing) return kFailure;
    return SkipUnsafeEntries(data);
}

HRESULT FtpFS::FindNext(WIN32_FIND_DATAW* data) {
    if (!listing) return kFailure;
    if (!InternetFindNextFileW(listing, data)) {
        FindClose();
        return kFailure;
    }
    return SkipUnsafeEntries(data);
}

// Whatever the library below delivers, no walk ever sees a name that could
// lead it out of the folder it works on.
HRESULT FtpFS::SkipUnsafeEntries(WIN32_FIND_DATAW* data) {
    while (!IsSafeEntryName(data->cFileName, MAX_PATH)) {
        if (!InternetFindNextFileW(listing, data)) {
            FindClose();
            return kFailure;
        }
    }
    return S_OK;
}

HRESULT FtpFS::FindClose() {
    if (!listing) return S_OK;
    BOOL closed = InternetCloseHandle(listing);
    listing = nullptr;
    return StatusOf(closed);
}

HRESULT FtpFS::SetCurrentDir(const wchar_t* path) {
    return StatusOf(IsSafeCommandArgument(path) && FtpSetCurrentDirectoryW(connection, path));
}

HRESULT FtpFS::GetCurrentDir(wchar_t* buffer, DWORD* length) {
    return StatusOf(FtpGetCurrentDirectoryW(connection, buffer, length));
}

ULONGLONG FtpFS::RemoteFileSize(const wchar_t* name) {
    WIN32_FIND_DATAW record = {};
    if (!IsSafeCommandArgument(name)) return 0;
    HINTERNET find = FtpFindFirstFileW(connection, name, &record, INTERNET_FLAG_NO_CACHE_WRITE,
                                       reinterpret_cast<DWORD_PTR>(this));
    if (!find) return 0;
    InternetCloseHandle(find);
    return FileSizeOf(record);
}

// Sizes and offsets count bytes only in binary, and some servers refuse
// SIZE or REST in ASCII: the type is set first, whatever the last transfer used.
bool FtpFS::BinaryCommand(const std::wstring& command) {
    return FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, L"TYPE I", 0, nullptr) &&
           FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), 0, nullptr);
}

bool FtpFS::ServerFileSize(const wchar_t* name, ULONGLONG* size) {
    if (!IsSafeCommandArgument(name) || !BinaryCommand(std::wstring(L"SIZE ") + name)) return false;
    // The reply is "213 <size>".
    wchar_t reply[kTextCapacity];
    DWORD code = 0, length = kTextCapacity;
    if (!InternetGetLastResponseInfoW(&code, reply, &length) || code != 213) return false;
    wchar_t* end = nullptr;
    *size = wcstoull(reply + 3, &end, 10);
    return end != reply + 3;
}

bool FtpFS::RestartAt(ULONGLONG offset) {
    return BinaryCommand(L"REST " + std::to_wstring(offset));
}

// MDTM goes out with the transfer's EPSV and RETR.
RemoteFileHandle FtpFS::OpenRemoteFile(const wchar_t* name, DWORD access, DWORD transferType,
                                       ULONGLONG, KnownTime* exactTime) {
    if (!IsSafeCommandArgument(name)) return nullptr;
    if (exactTime) AskTimeWithNext(name);
    HINTERNET file =
        FtpOpenFileW(connection, name, access, transferType, reinterpret_cast<DWORD_PTR>(this));
    if (file && exactTime) *exactTime = TimeAskedWithNext();
    return file ? std::make_shared<FtpRemoteFile>(file) : nullptr;
}

HRESULT FtpFS::DeleteRemoteFile(const wchar_t* name) {
    return StatusOf(IsSafeCommandArgument(name) && FtpDeleteFileW(connection, name));
}

HRESULT FtpFS::RenameRemote(const wchar_t* oldName, const wchar_t* newName) {
    return StatusOf(IsSafeCommandArgument(oldName) && IsSafeNewName(newName) &&
                    FtpRenameFileW(connection, oldName, newName));
}

bool FtpFS::CreateRemoteDir(const wchar_t* name) {
    return IsSafeCommandArgument(name) && FtpCreateDirectoryW(connection, name);
}

bool FtpFS::RemoveRemoteDir(const wchar_t* name) {
    return IsSafeCommandArgument(name) && FtpRemoveDirectoryW(connection, name);
}
