#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>

#include "ftp/FileTimes.h"
#include "ftp/RemoteFile.h"
#include "ftp/TransferTypes.h"
#include "ftp/WorkerState.h"

class TransferWalk;

// One connection to a server and everything done over it, whatever the
// protocol: the views, walks and workers reach the server through this alone.
// Directory access runs on the caller's thread; the recursive delete and the
// download and upload workers are the same for every protocol and live here.
// A failed call leaves a WinINet error in GetLastError() (a lost connection
// as IsConnectionLost() knows it) and the server's reason for TakeServerReason().
class RemoteFS {
  public:
    static const size_t kTextCapacity = 512;
    // How long a Done waits for a worker that has told its end to return.
    static const DWORD kEndedWorkerWaitMs = 1000;
    // How long the engine's end waits for a cancelled worker. A worker waiting
    // for an answer ends at once, and one blocked on the server when its
    // connection is cut; every wait on the server ends within 30 s.
    static const DWORD kStopWaitMs = 35000;

    RemoteFS();
    RemoteFS(const RemoteFS&) = delete;
    RemoteFS& operator=(const RemoteFS&) = delete;
    virtual ~RemoteFS();

    // Where the next login sends its statuses and questions; it serves one login.
    void SetStatusWindow(HWND window) { statusWindow = window; }
    // What the session says of the server's clock, for the LIST times read from now on.
    void SetServerClock(const ServerClock& serverClock) { clock = serverClock; }
    // port 0 is the protocol's own.
    virtual HRESULT Connect(const wchar_t* server, const wchar_t* user, const wchar_t* password,
                            INTERNET_PORT port = 0) = 0;
    // On the thread that uses the connection.
    virtual void Disconnect() = 0;
    // From any thread: ends the connection so that a call blocked on it returns
    // at once; the thread that uses it then finds it gone.
    virtual void CutConnection() = 0;
    // Logs in again with the last login's settings (what the user accepted once
    // for this engine passes again unasked) and goes to folder, if given.
    virtual HRESULT Reconnect(const wchar_t* folder) = 0;
    // Whether the connection still answers after a failure: one round trip,
    // paid only when something failed.
    virtual bool StillAnswers() = 0;
    // The error of a failed call says the connection is gone (closed by the
    // server, reset, timed out or cut here): a new login may help.
    static bool IsConnectionLost(DWORD error);
    // A new engine of the same protocol, not logged in, whose logins are this
    // one's; it reads no options, so a transfer's worker may make its extra connections.
    virtual std::unique_ptr<RemoteFS> MakeSibling() const = 0;
    // Takes over the logged-in connection of an engine of the same protocol
    // together with what a reconnect needs; the other engine is left unconnected.
    virtual void TakeConnectionOf(RemoteFS& other) = 0;

    // The entries of the current folder; names that could lead out of it are left out.
    virtual HRESULT FindFirst(WIN32_FIND_DATAW* data) = 0;
    virtual HRESULT FindNext(WIN32_FIND_DATAW* data) = 0;
    virtual HRESULT FindClose() = 0;

    virtual HRESULT SetCurrentDir(const wchar_t* path) = 0;
    virtual HRESULT GetCurrentDir(wchar_t* buffer, DWORD* length) = 0;

    // 0 when the file cannot be found.
    virtual ULONGLONG RemoteFileSize(const wchar_t* name) = 0;
    // The size the server reports for the file; false when it gives none.
    virtual bool ServerFileSize(const wchar_t* name, ULONGLONG* size) = 0;
    // A listed entry's time, read by the session's server clock.
    KnownTime ListedTime(const WIN32_FIND_DATAW& data) const { return ListedTimeOf(data, clock); }
    // The file's time as the server gives it (UTC); unknown when it gives none.
    virtual KnownTime ServerFileTime(const wchar_t* name) = 0;
    // Gives the server's copy that time, a copy's last touch; false when the time
    // was not set. Over SFTP, and over FTP once a way of setting times worked on
    // the connection, the answer is not waited for (it comes with the next
    // request's): false only when the request could not be sent.
    virtual bool SetServerFileTime(const wchar_t* name, FileStamp stamp) = 0;
    // Sends what waits to go with the next request (a time set unanswered) and
    // takes the answers due, so that the server holds it all when a run ends;
    // false when the connection failed.
    virtual bool Settle() = 0;
    // Makes the next transfer start at offset in the file; false when refused.
    virtual bool RestartAt(ULONGLONG offset) = 0;
    // A file of the current folder opened for GENERIC_READ or GENERIC_WRITE,
    // ASCII or binary (an FTP_TRANSFER_TYPE); null when the server refused it.
    // A read may be told the size the listing gave (0: none), which lets a
    // protocol that asks for the bytes ask for all of a small file at once,
    // and asked for the file's exact time (exactTime; null: not asked), which
    // then travels with the open's own requests instead of costing a round trip.
    virtual RemoteFileHandle OpenRemoteFile(const wchar_t* name, DWORD access, DWORD transferType,
                                            ULONGLONG listedSize, KnownTime* exactTime) = 0;
    static bool LocalFileExists(const wchar_t* path);
    // 0 when the file cannot be found.
    static ULONGLONG LocalFileSize(const wchar_t* path);
    // A link is deleted as a link, never what it leads to.
    virtual HRESULT DeleteRemoteFile(const wchar_t* name) = 0;
    // A new name that is no safe name is refused unsent; an existing file of
    // the new name is replaced where the server allows it.
    virtual HRESULT RenameRemote(const wchar_t* oldName, const wchar_t* newName) = 0;
    virtual bool CreateRemoteDir(const wchar_t* name) = 0;
    virtual bool RemoveRemoteDir(const wchar_t* name) = 0;
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
    // own cuts the connection, which makes the worker's blocked calls return,
    // and a prompt's wait ends; the worker itself then logs in again, goes
    // back to the remote directory where the transfer started, sends the end
    // message and clears busy. Fails when no run is left to stop.
    HRESULT CancelDownload();
    HRESULT CancelUpload();
    // The engine's user goes: cancels both runs, whose workers then end
    // without logging in again. Returns at once.
    void EndWorkers();

    bool IsBusy() const { return busy; }
    // True once a run that has told its end has let the engine go (waits a moment for that).
    bool SettleEndedRun();
    virtual bool IsConnected() const = 0;
    // The server could not connect back in active mode, so the connection went passive.
    virtual bool FellBackToPassive() const { return false; }
    // How the connection is protected, for the view's title: " (TLS)", " (SFTP)"...
    virtual const wchar_t* ProtectionNote() const = 0;
    // Why the last Connect failed (a WinINet error).
    DWORD ConnectError() const { return connectError; }
    // The user refused what the last login asked (a certificate, a host key, a
    // login in the clear, a passphrase): no failure to report.
    virtual bool LoginDeclined() const = 0;
    // The server refused TLS at the last Connect.
    virtual bool ServerRefusedTls() const { return false; }

  protected:
    // The workers are stopped before the engine goes: each implementation's
    // destructor calls this first, while its connection still exists.
    void StopWorkers();

    HWND statusWindow;
    ServerClock clock;
    DWORD connectError;

  private:
    static DWORD WINAPI DownloadThread(LPVOID engine);
    static DWORD WINAPI UploadThread(LPVOID engine);
    HRESULT StartWorker(WorkerState& state, const TransferList& items, HWND notifyWindow,
                        const wchar_t* remoteDir, LPTHREAD_START_ROUTINE procedure);
    DWORD RunWorker(WorkerState& state, TransferWalk& walk, UINT startMessage, UINT endMessage);
    HRESULT CancelWorker(WorkerState& state);
    void ResumeAfterCancel(WorkerState& state);
    void StopWorker(WorkerState& state);

    std::atomic<bool> busy;
    // Set while the engine goes: a cancelled worker then does not log in again.
    std::atomic<bool> closing;

    // The workers' state; the counters are handed to the progress panels by pointer.
    WorkerState download;
    wchar_t localTargetDir[WorkerState::kPathCapacity];
    DownloadCounters downloadCounters;
    WorkerState upload;
    UploadCounters uploadCounters;
};
