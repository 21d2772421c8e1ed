#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "ftp/FileTimes.h"
#include "ftp/TransferTypes.h"
#include "ftp/WorkerState.h"
#include "wininet/FtpTlsApi.h"

class TransferWalk;

// One FTP connection and everything done over it: directory access on the
// caller's thread, the recursive remote delete, and the state of the download
// and upload workers that later run on threads of their own.
class FtpFS {
  public:
    static const size_t kTextCapacity = 512;
    // How long a Done waits for a worker that has told its end to return.
    static const DWORD kEndedWorkerWaitMs = 1000;
    // How long the engine's end waits for a cancelled worker. A worker waiting
    // for an answer ends at once, and one blocked on the server when its
    // connection is closed; every wait of the FTP layer ends within 30 s.
    static const DWORD kStopWaitMs = 35000;

    FtpFS();
    FtpFS(const FtpFS&) = delete;
    FtpFS& operator=(const FtpFS&) = delete;
    virtual ~FtpFS();

    void SetStatusWindow(HWND window);
    // A SessionEncryption: how the next logins protect the connection.
    void SetEncryption(DWORD sessionEncryption) { encryption = sessionEncryption; }
    // The user allowed this session's logins in the clear where the server
    // refuses TLS; the engine's later logins and its siblings never ask again.
    void AllowPlainLogin() { plainLoginAllowed = true; }
    bool PlainLoginAllowed() const { return plainLoginAllowed; }
    // What the session says of the server's clock, for the LIST times read from now on.
    void SetServerClock(const ServerClock& serverClock) { clock = serverClock; }
    HRESULT Connect(const wchar_t* server, const wchar_t* user, const wchar_t* password,
                    INTERNET_PORT port = 0);
    void Disconnect();
    // Logs in again with the last login's settings (a certificate accepted
    // once for this engine passes again unasked) and goes to folder, if given.
    HRESULT Reconnect(const wchar_t* folder);
    // Whether the connection still answers a command after a failure (PWD):
    // one round trip, paid only when something failed.
    bool StillAnswers();
    // The error of a failed call says the control connection is gone (closed
    // by the server, reset, timed out or cut here): a new login may help.
    static bool IsConnectionLost(DWORD error);
    // A new engine, not logged in, whose logins are this one's (server, port,
    // login, encryption, passive mode, a certificate accepted once); it reads
    // no options, so a transfer's worker may make its extra connections.
    std::unique_ptr<FtpFS> MakeSibling() const;
    // Takes over another engine's logged-in connection together with what a
    // reconnect needs; the other engine is left unconnected.
    void TakeConnectionOf(FtpFS& other);

    HRESULT FindFirst(WIN32_FIND_DATAW* data, const wchar_t* pattern, DWORD flags);
    HRESULT FindNext(WIN32_FIND_DATAW* data);
    HRESULT FindClose();

    HRESULT SetCurrentDir(const wchar_t* path);
    HRESULT GetCurrentDir(wchar_t* buffer, DWORD* length);

    ULONGLONG RemoteFileSize(const wchar_t* name);
    // The size the server reports for the file (SIZE); false when it gives none.
    bool ServerFileSize(const wchar_t* name, ULONGLONG* size);
    // A listed entry's time, read by the session's server clock.
    KnownTime ListedTime(const WIN32_FIND_DATAW& data) const { return ListedTimeOf(data, clock); }
    // The file's time as the server gives it (MDTM, UTC); unknown when it
    // gives none or no time.
    KnownTime ServerFileTime(const wchar_t* name);
    // Gives the server's copy that time: MFMT where FEAT offers it, else
    // MDTM with a time, else SITE UTIME. What the server refuses as unknown
    // is learned once per connection and not tried again; a server with none
    // keeps its own time. False when the time was not set.
    bool SetServerFileTime(const wchar_t* name, FileStamp stamp);
    // Makes the next transfer start at offset in the file (REST); false when refused.
    bool RestartAt(ULONGLONG offset);
    // A remote file opened for GENERIC_READ or GENERIC_WRITE, ASCII or binary;
    // the transfer runs through InternetReadFile/InternetWriteFile until it is closed.
    HINTERNET OpenRemoteFile(const wchar_t* name, DWORD access, DWORD transferType);
    static bool LocalFileExists(const wchar_t* path);
    // 0 when the file cannot be found.
    static ULONGLONG LocalFileSize(const wchar_t* path);
    HRESULT DeleteRemoteFile(const wchar_t* name);
    // RNFR, then RNTO; a new name that is no safe name is refused unsent.
    HRESULT RenameRemote(const wchar_t* oldName, const wchar_t* newName);
    bool CreateRemoteDir(const wchar_t* name);
    bool RemoveRemoteDir(const wchar_t* name);
    // Deletes the folder with everything below it and counts what stayed (a
    // counter may be null); S_OK when nothing did. It tells no one: the
    // caller may run on any thread.
    HRESULT DeleteRemoteTree(const wchar_t* name, DWORD* filesLeft = nullptr,
                             DWORD* foldersLeft = nullptr);

    // Starts copying the items (remote names) into the local directory on a
    // worker thread that reports to notifyWindow. Fails while a transfer runs.
    // remoteDir is the server's current directory as the caller knows it, where
    // a cancelled run returns; null asks the server.
    HRESULT StartDownload(const TransferList& items, const wchar_t* localDir, HWND notifyWindow,
                          const wchar_t* remoteDir = nullptr);
    // Starts copying the items (full local paths) into the remote current directory.
    HRESULT StartUpload(const TransferList& items, HWND notifyWindow,
                        const wchar_t* remoteDir = nullptr);
    // Starts stopping the worker and returns at once: a thread of the cancel's
    // own closes the connection, which makes the worker's blocked calls
    // return, and a prompt's wait ends; the worker itself then logs in again,
    // goes back to the remote directory where the transfer started, sends the
    // end message and clears busy. Fails when no run is left to stop.
    HRESULT CancelDownload();
    HRESULT CancelUpload();
    // The engine's user goes: cancels both runs, whose workers then end
    // without logging in again. Returns at once.
    void EndWorkers();

    bool IsBusy() const { return busy; }
    // True once a run that has told its end has let the engine go (waits a moment for that).
    bool SettleEndedRun();
    bool IsConnected() const { return connection != nullptr; }
    // The server could not connect back in active mode, so the connection went
    // passive; later logins of this engine start passive.
    bool FellBackToPassive() const;
    // Commands and data travel under TLS.
    bool IsEncrypted() const;
    // The server refused TLS at the last Connect: a login then went on in the
    // clear ("if available"), or failed (TLS required).
    bool ServerRefusedTls() const { return tlsRefused; }
    // Why the last Connect failed (a WinINet error), and whether the user
    // refused the server's certificate, which is no failure to report.
    DWORD ConnectError() const { return connectError; }
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
    bool SendTimeSetter(TimeSetter setter, const std::wstring& time, const wchar_t* name);
    bool BinaryCommand(const std::wstring& command);

    static DWORD WINAPI DownloadThread(LPVOID engine);
    static DWORD WINAPI UploadThread(LPVOID engine);
    HRESULT StartWorker(WorkerState& state, const TransferList& items, HWND notifyWindow,
                        const wchar_t* remoteDir, LPTHREAD_START_ROUTINE procedure);
    DWORD RunWorker(WorkerState& state, TransferWalk& walk, UINT startMessage, UINT endMessage);
    HRESULT CancelWorker(WorkerState& state);
    void ResumeAfterCancel(WorkerState& state);
    void StopWorker(WorkerState& state);

    HINTERNET session;
    // Replaced by a worker's login after a cancel while the cancel closes it on another thread.
    std::atomic<HINTERNET> connection;
    HINTERNET listing;
    std::atomic<bool> busy;
    // Set while the engine goes: a cancelled worker then does not log in again.
    std::atomic<bool> closing;
    HWND statusWindow;

    // The workers' state; the counters are handed to the progress panels by pointer.
    WorkerState download;
    wchar_t localTargetDir[WorkerState::kPathCapacity];
    DownloadCounters downloadCounters;
    WorkerState upload;
    UploadCounters uploadCounters;

    // Kept so that a cancelled transfer can log in again.
    wchar_t user[kTextCapacity];
    wchar_t password[kTextCapacity];
    wchar_t server[kTextCapacity];
    INTERNET_PORT port;
    DWORD encryption;
    // Taken from the options when the engine is made, on the user-interface
    // thread: later logins, on workers too, must not read shared options.
    bool passive;
    ServerClock clock;
    // What sets a file's time on this connection, once learned.
    TimeSetter timeSetter;
    bool timeSetterWorked;  // it set a time here: a refusal is then the file's
    wchar_t acceptedCertificate[128];
    bool plainLoginAllowed;
    bool tlsRefused;
    bool certificateDeclined;
    DWORD connectError;
};
