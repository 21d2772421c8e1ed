#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ftp/RemoteFS.h"
#include "ssh/SftpSession.h"

// One SFTP connection: the remote file system of an SFTP session. SFTP knows
// no current folder, so the engine keeps it (absolute, as the server resolves
// it) and names every file by its full path. The session is replaced at each
// login on the thread that uses it; a cut from another thread reaches the
// session under a lock held only to copy the pointer.
// The server refused an SFTP request; the reason it left says why.
#define ERROR_SFTP_REFUSED (INTERNET_ERROR_BASE + 60)

class SftpFS : public RemoteFS {
  public:
    static const INTERNET_PORT kDefaultPort = 22;

    // keyFile: a private key to log in with instead of the password; empty: none.
    explicit SftpFS(const std::wstring& keyFile = std::wstring());
    ~SftpFS() override;

    // The host key is judged before anything of the user is sent: trusted for
    // this host and port, accepted once for this engine, or put to the status
    // window; a later login with no window never connects to an unknown key.
    HRESULT Connect(const wchar_t* server, const wchar_t* user, const wchar_t* password,
                    INTERNET_PORT port = 0) override;
    void Disconnect() override;
    void CutConnection() override;
    HRESULT Reconnect(const wchar_t* folder) override;
    bool StillAnswers() override;
    std::unique_ptr<RemoteFS> MakeSibling() const override;
    void TakeConnectionOf(RemoteFS& other) override;

    HRESULT FindFirst(WIN32_FIND_DATAW* data) override;
    HRESULT FindNext(WIN32_FIND_DATAW* data) override;
    HRESULT FindClose() override;

    // The server resolves the path (links and "..") and it must be a folder.
    HRESULT SetCurrentDir(const wchar_t* path) override;
    // Known here: no round trip.
    HRESULT GetCurrentDir(wchar_t* buffer, DWORD* length) override;

    ULONGLONG RemoteFileSize(const wchar_t* name) override;
    bool ServerFileSize(const wchar_t* name, ULONGLONG* size) override;
    KnownTime ServerFileTime(const wchar_t* name) override;
    bool SetServerFileTime(const wchar_t* name, FileStamp stamp) override;
    bool Settle() override;
    bool RestartAt(ULONGLONG offset) override;
    // Bytes as they are, whatever the transfer type: SFTP has no text mode.
    RemoteFileHandle OpenRemoteFile(const wchar_t* name, DWORD access, DWORD transferType,
                                    ULONGLONG listedSize, KnownTime* exactTime) override;
    HRESULT DeleteRemoteFile(const wchar_t* name) override;
    HRESULT RenameRemote(const wchar_t* oldName, const wchar_t* newName) override;
    bool CreateRemoteDir(const wchar_t* name) override;
    bool RemoveRemoteDir(const wchar_t* name) override;

    bool IsConnected() const override;
    const wchar_t* ProtectionNote() const override { return L" (SFTP)"; }
    bool LoginDeclined() const override { return declined; }

  private:
    void CopyLoginOf(const SftpFS& other);
    std::shared_ptr<SftpSession> Current() const;
    void SetLoggingIn(std::shared_ptr<SftpSession> fresh);
    void Install(std::shared_ptr<SftpSession> next);
    bool JudgeHostKey(const SshHostKey& key);
    bool LogIn(SftpSession& fresh);
    bool AskPassphrase(bool wrongBefore);
    void Tell(DWORD status, void* information = nullptr, DWORD size = 0);
    // The full path of a name of the current folder, or of an absolute one, in
    // UTF-8.
    std::string PathOf(const wchar_t* name) const;
    bool Stat(const wchar_t* name, SftpEntry& entry);
    // Leaves the session's failure as a WinINet error and the server's reason.
    bool Failed();
    HRESULT Result(bool succeeded) { return succeeded ? S_OK : E_FAIL; }
    HRESULT NextSafeEntry(WIN32_FIND_DATAW* data);

    mutable std::mutex sessionLock;
    std::shared_ptr<SftpSession> session;
    std::shared_ptr<SftpSession> loggingIn;  // so that a cut reaches a login under way
    std::wstring currentDir;
    std::vector<SftpEntry> listed;
    size_t nextListed;
    ULONGLONG restartOffset;

    // Kept so that a later login needs no one.
    std::wstring server, user, password, keyFile;
    std::string passphrase;
    INTERNET_PORT port;
    std::wstring acceptedKey;  // a host key's fingerprint accepted once for this engine
    bool declined;
};
