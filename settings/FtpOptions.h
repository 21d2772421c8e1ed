#pragma once

#include <windows.h>

class BaseWnd;
class RegStore;

// Transfer type codes.
enum : DWORD { transferAscii = 0, transferBinary = 1, transferPrompt = 2 };
// Existing file option codes.
enum : DWORD { existingResume = 0, existingSkip = 1, existingOverwrite = 2, existingPrompt = 3 };

// The program-wide options, kept under FtpConfig. Codes outside the known
// ones are kept as stored: a later version may have written them.
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

    // The per-file decisions of a running transfer, made on its worker thread.
    // Each asks the user, in a prompt owned by owner, when its stored code says
    // so, and keeps the answer when the prompt's "don't ask" box is ticked.
    // Existing file: 0 resume, 1 skip, 2 overwrite; another stored code as it is.
    DWORD ChooseExistingFileAction(const wchar_t* text, BaseWnd* owner);
    // FTP_TRANSFER_TYPE_ASCII or _BINARY, or 0xFFFFFFFF for an unknown stored code.
    DWORD ChooseTransferType(const wchar_t* name, BaseWnd* owner);

    static const size_t textCapacity = 128;

  private:
    wchar_t anonymousPassword[textCapacity];
    wchar_t proxyServer[textCapacity];
    DWORD proxyPort;
    bool useProxy;
    DWORD transferType;
    bool usePassive;
    DWORD existingFileOption;
};
