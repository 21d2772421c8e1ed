#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <string>

#include "ftp/RemoteFS.h"
#include "wininet/FtpTlsApi.h"

// One FTP connection (plain or over TLS) through the WinINet FTP calls: the
// remote file system of an FTP session.
class FtpFS : public RemoteFS {
  public:
    FtpFS();
    ~FtpFS() override;

    // A SessionEncryption: how the next logins protect the connection.
    void SetEncryption(DWORD sessionEncryption) { encryption = sessionEncryption; }
    // The user allowed this session's logins in the clear where the server
    // refuses TLS; the engine's later logins and its siblings never ask again.
    void AllowPlainLogin() { plainLoginAllowed = true; }
    bool PlainLoginAllowed() const { return plainLoginAllowed; }
    HRESULT Connect(const wchar_t* server, const wchar_t* user, const wchar_t* password,
                    INTERNET_PORT port = 0) override;
    void Disconnect() override;
    void CutConnection() override { Disconnect(); }
    HRESULT Reconnect(const wchar_t* folder) override;
    // PWD.
    bool StillAnswers() override;
    // Its logins are this one's (server, port, login, encryption, passive mode,
    // a certificate accepted once).
    std::unique_ptr<RemoteFS> MakeSibling() const override;
    void TakeConnectionOf(RemoteFS& other) override;

    HRESULT FindFirst(WIN32_FIND_DATAW* data) override;
    HRESULT FindNext(WIN32_FIND_DATAW* data) override;
    HRESULT FindClose() override;

    HRESULT SetCurrentDir(const wchar_t* path) override;
    HRESULT GetCurrentDir(wchar_t* buffer, DWORD* length) override;

    ULONGLONG RemoteFileSize(const wchar_t* name) override;
    // SIZE.
    bool ServerFileSize(const wchar_t* name, ULONGLONG* size) override;
    // MDTM; unknown when the server gives none or no time.
    KnownTime ServerFileTime(const wchar_t* name) override;
    // MFMT where FEAT offers it, else MDTM with a time, else SITE UTIME. What
    // the server refuses as unknown is learned once per connection and not
    // tried again; a server with none keeps its own time.
    bool SetServerFileTime(const wchar_t* name, FileStamp stamp) override;
    bool Settle() override;
    // REST.
    bool RestartAt(ULONGLONG offset) override;
    RemoteFileHandle OpenRemoteFile(const wchar_t* name, DWORD access, DWORD transferType,
                                    ULONGLONG listedSize, KnownTime* exactTime) override;
    HRESULT DeleteRemoteFile(const wchar_t* name) override;
    // RNFR, then RNTO.
    HRESULT RenameRemote(const wchar_t* oldName, const wchar_t* newName) override;
    bool CreateRemoteDir(const wchar_t* name) override;
    bool RemoveRemoteDir(const wchar_t* name) override;

    bool IsConnected() const override { return connection != nullptr; }
    // Later logins of this engine start passive once the server could not connect back.
    bool FellBackToPassive() const override;
    // Commands and data travel under TLS.
    bool IsEncrypted() const;
    const wchar_t* ProtectionNote() const override {
        return IsEncrypted() ? L" (TLS)" : L" (not encrypted)";
    }
    bool LoginDeclined() const override { return CertificateDeclined() || PlainLoginDeclined(); }
    // The server refused TLS at the last Connect: a login then went on in the
    // clear ("if available"), or failed (TLS required).
    bool ServerRefusedTls() const override { return tlsRefused; }
    // The user refused the server's certificate.
    bool CertificateDeclined() const { return certificateDeclined; }
    // The server refused TLS and the login was not allowed in the clear: nothing more was sent.
    bool PlainLoginDeclined() const { return connectError == ERROR_FTP_PLAIN_LOGIN_DECLINED; }

  private:
    explicit FtpFS(bool passiveMode);
    void CopyLoginOf(const FtpFS& other);

    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                        LPVOID information, DWORD informationLength);
    // A certificate trusted always for this host and port, or accepted once for
    // this engine's logins, passes; any other is put to the status window.
    void JudgeCertificate(const StatusReport& report);
    // A login in the clear passes when allowed before or anonymous; otherwise
    // it is put to the status window, and with none it is refused.
    void JudgePlainLogin(const StatusReport& report);
    HRESULT SkipUnsafeEntries(WIN32_FIND_DATAW* data);
    // The commands a server may set a file's time by, in the order they are tried.
    enum class TimeSetter { unknown, mfmt, mdtm, siteUtime, none };
    TimeSetter FirstTimeSetter();
    bool SendTimeSetter(TimeSetter setter, const std::wstring& time, const wchar_t* name,
                        bool answered);
    // MDTM sent with the next command (an open's), and its answer once it came.
    void AskTimeWithNext(const wchar_t* name);
    KnownTime TimeAskedWithNext();
    bool BinaryCommand(const std::wstring& command);

    HINTERNET session;
    // Replaced by a worker's login after a cancel while the cancel closes it on another thread.
    std::atomic<HINTERNET> connection;
    HINTERNET listing;

    // Kept so that a later login needs no one.
    wchar_t user[kTextCapacity];
    wchar_t password[kTextCapacity];
    wchar_t server[kTextCapacity];
    INTERNET_PORT port;
    DWORD encryption;
    // Taken from the options when the engine is made, on the user-interface
    // thread: later logins, on workers too, must not read shared options.
    bool passive;
    // What sets a file's time on this connection, once learned.
    TimeSetter timeSetter;
    bool timeSetterWorked;  // it set a time here: a refusal is then the file's
    wchar_t acceptedCertificate[128];
    bool plainLoginAllowed;
    bool tlsRefused;
    bool certificateDeclined;
};
