#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "wininet/FtpDataChannel.h"
#include "wininet/FtpListParser.h"
#include "wininet/InternetHandle.h"
#include "wininet/TlsContext.h"

// A logged-in FTP control connection. One call uses it at a time; while a
// file is open on it, other calls fail with ERROR_FTP_TRANSFER_IN_PROGRESS.
// After the connection has failed mid-dialogue (a timeout, a drop) the
// replies could no longer be matched to commands, so every later call fails
// at once with ERROR_FTP_DROPPED. Active mode gives way to passive mode for
// good when the server refuses it or cannot connect back: behind a router or
// a firewall active mode cannot work, and passive mode usually does. Over a
// long link each wait for a reply costs a round trip, so commands whose
// replies can be told apart go out together (EPSV and the transfer command,
// CWD and PWD), and what the connection knows (the type, the folder a change
// led to) it does not ask again.
class FtpConnection : public InternetHandle {
  public:
    FtpConnection(std::shared_ptr<InternetHandle> session, DWORD flags, DWORD_PTR context);

    DWORD Open(const std::wstring& server, INTERNET_PORT port, const std::wstring& user,
               const std::wstring& password);
    DWORD ChangeDirectory(const std::wstring& path);
    DWORD CurrentDirectory(std::wstring& path);
    DWORD RemoveFile(const std::wstring& name);
    DWORD RemoveFolder(const std::wstring& name);
    DWORD MakeFolder(const std::wstring& name);
    DWORD Rename(const std::wstring& from, const std::wstring& to);
    // A command of the caller's (SIZE, REST, SITE, ...) answered on the
    // control connection alone; a reply of class 2 or 3 is a success.
    DWORD Command(const std::wstring& command);
    // The same for a command that changes nothing this connection keeps track
    // of (a file's time), sent with the next command instead of alone: its
    // reply is kept for TakeKeptReply (only the newest kept one) or dropped.
    DWORD CommandWithNext(const std::wstring& command, bool keepReply);
    // ERROR_NO_MORE_ITEMS until the kept reply came; then it is the last response.
    DWORD TakeKeptReply(DWORD& code);
    // Commands still waiting for the next one go out with a NOOP, replies read.
    DWORD Settle();
    // The entries a pattern names: all of a folder, those matching wildcards, or one name.
    DWORD Find(const std::wstring& pattern, std::vector<FtpListEntry>& entries);
    // Starts RETR or STOR (an upload channel) on the channel; type is 'A' or 'I'.
    DWORD OpenTransfer(const std::wstring& name, char type, FtpDataChannel& channel);
    // Reads the reply that ends the open transfer.
    DWORD FinishTransfer();
    // Whether commands and data travel under TLS.
    bool Secure() const { return tls_ != nullptr; }
    // Whether active mode was given up for passive mode; safe from any thread.
    bool FellBackToPassive() const { return fellBack_; }
    // Ends the open transfer as cut short (ABOR, and its data connection reset),
    // so that the server keeps no partial upload as a complete file.
    DWORD AbortTransfer(FtpSocket& data, bool upload);
    // Gives the connection up without waiting for it, from any thread.
    void Abandon();
    DWORD Close() override;

  private:
    // Waits a bounded time for the connection, so that a call stuck on another
    // thread (or a thread terminated inside a call) cannot hang this one.
    using Lock = std::unique_lock<std::timed_mutex>;
    Lock Acquire();
    DWORD Usable(const Lock& lock) const;
    DWORD Failed(DWORD error);
    DWORD ConnectControl(const std::wstring& server, INTERNET_PORT port);
    DWORD ReadGreeting();
    // AUTH TLS, the handshake and the certificate's check, before any login.
    DWORD StartTls(const std::wstring& host, INTERNET_PORT port);
    DWORD AskAboutCertificate(const std::wstring& host, INTERNET_PORT port);
    // After a refused AUTH TLS: fails unless the caller allows the login in the clear.
    DWORD AskAboutPlainLogin(const std::wstring& host);
    DWORD ProtectData();
    DWORD SecureDataChannel(FtpDataChannel& channel);
    DWORD Login(const std::wstring& user, const std::wstring& password);
    DWORD ReadFeatures();
    DWORD SetType(char type);
    DWORD PathCommand(const char* verb, const std::wstring& path);
    // The path of a reply to PWD.
    DWORD ReadCurrentPath(const FtpReply& reply, std::wstring& path);
    DWORD StartTransfer(const std::string& command, FtpDataChannel& channel);
    // The server's preliminary reply, or, on a plain passive download, the data if it comes first.
    DWORD AwaitTransferStart(FtpSocket& data, FtpReply& reply, bool& dataFirst);
    // The same command again in passive mode; `sent` when the server saw it,
    // so that a restart offset it took is given again.
    DWORD RetryPassive(const std::string& command, FtpDataChannel& channel, bool sent);
    DWORD EndUnestablished(const std::string& command, FtpDataChannel& channel, DWORD error);
    DWORD CutTransfer(FtpSocket& data, bool upload);
    DWORD ReadListing(const std::wstring& folder, std::vector<FtpListEntry>& entries);
    DWORD ReceiveListing(FtpSocket& data, FtpListingReader& reader);
    // The data connection a listing is read from, so that a close can cut it short.
    void WatchData(FtpSocket* socket);
    void CutWatchedData();
    // A name listed in a legacy code page goes back in the bytes it came in.
    std::string EncodePath(const std::wstring& path) const;
    void RememberLegacyNames(const std::wstring& path);
    DWORD FindOne(const std::wstring& path, const std::wstring& leaf,
                  std::vector<FtpListEntry>& entries);

    std::timed_mutex mutex_;
    // Before the control connection: its TLS stream reads these settings up to
    // its own end, so they must outlive it.
    std::unique_ptr<TlsContext> tls_;
    FtpControl control_;
    std::mutex watchMutex_;
    FtpSocket* watchedData_ = nullptr;
    FtpDataModes dataModes_;
    FtpWakeEvent dataWake_;  // every data connection's, one after another
    std::atomic<bool> passive_;
    std::atomic<bool> fellBack_{false};
    std::string restart_;  // the REST the server accepted for the next transfer
    const DWORD tlsFlags_;
    std::vector<std::string>
        serverChain_;  // the control connection's, which data connections must show
    bool hasMlst_ = false;
    bool hasUtf8_ = false;
    char type_ = 0;
    std::wstring knownDirectory_;  // where the last change by a relative name led
    bool transferOpen_ = false;
    std::atomic<bool> broken_{false};
    std::set<std::wstring> legacyNames_;
};
