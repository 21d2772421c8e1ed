#pragma once

#include <windows.h>

class RegStore;

// Transfer type codes.
enum : DWORD { transferAscii = 0, transferBinary = 1, transferPrompt = 2 };
// Existing file option codes, as stored: a new rule takes a new number.
enum : DWORD {
    existingResume = 0,
    existingSkip = 1,
    existingOverwrite = 2,
    existingPrompt = 3,
    existingIfNewer = 4,  // overwrite when the source is newer, else skip
};

// What a transfer decides by, copied from the options on the user-interface
// thread when it starts: its worker reads only this copy, so the Options
// dialog may change the options meanwhile. A "don't ask again" answer changes
// the copy and, on the user-interface thread, the options.
struct TransferRules {
    DWORD existingFile;  // an existing file option code
    DWORD transferType;  // a transfer type code
    DWORD connections;   // how many connections to the server a run may use at once
    bool keepTimes;      // a copy gets its source's modification time
    // FTP_TRANSFER_TYPE_ASCII or _BINARY for a transfer type code, 0xFFFFFFFF for another.
    static DWORD FlagsOf(DWORD typeCode);
};

// The program-wide options, kept under FtpConfig. Codes outside the known
// ones are kept as stored: a later version may have written them. The number
// of simultaneous transfers is not: a run must never open no connection or
// flood the server, so a count outside 1-10 reads as the default.
class FtpOptions {
  public:
    FtpOptions();
    virtual ~FtpOptions();

    void Load(RegStore& store);
    // False when a write failed; the store keeps the reason.
    bool Save(RegStore& store);

    const wchar_t* GetAnonymousPassword() const { return anonymousPassword; }
    void SetAnonymousPassword(const wchar_t* text);
    const wchar_t* GetProxyServer() const { return proxyServer; }
    void SetProxyServer(const wchar_t* text);
    DWORD GetProxyPort() const { return proxyPort; }
    void SetProxyPort(DWORD port) { proxyPort = port; }
    bool GetUseProxy() const { return useProxy; }
    void SetUseProxy(bool use) { useProxy = use; }
    DWORD GetTransferType() const { return transferType; }
    void SetTransferType(DWORD code) { transferType = code; }
    bool GetUsePassive() const { return usePassive; }
    void SetUsePassive(bool use) { usePassive = use; }
    DWORD GetExistingFileOption() const { return existingFileOption; }
    void SetExistingFileOption(DWORD code) { existingFileOption = code; }
    DWORD GetConnections() const { return connections; }
    // A count outside the allowed range gives the default.
    void SetConnections(DWORD count);
    bool GetKeepTimes() const { return keepTimes; }
    void SetKeepTimes(bool keep) { keepTimes = keep; }

    TransferRules GetTransferRules() const {
        return TransferRules{existingFileOption, transferType, connections, keepTimes};
    }

    static const size_t textCapacity = 128;
    static constexpr DWORD minConnections = 1, maxConnections = 10, defaultConnections = 4;

  private:
    wchar_t anonymousPassword[textCapacity];
    wchar_t proxyServer[textCapacity];
    DWORD proxyPort;
    bool useProxy;
    DWORD transferType;
    bool usePassive;
    DWORD existingFileOption;
    DWORD connections;
    bool keepTimes;
};
