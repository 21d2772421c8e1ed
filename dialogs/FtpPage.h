#pragma once

#include <windows.h>

#include "framework/BaseDlg.h"

// The "Ftp" tab of the Options dialog: the proxy, the default transfer mode,
// passive mode and how many transfers run at once. Check boxes and radio
// buttons update the fields as they are clicked; the text boxes are read when
// asked for.
class FtpPage : public BaseDlg {
  public:
    FtpPage(bool usePassive, bool useProxy, const wchar_t* proxyServer, DWORD proxyPort,
            DWORD transferType, DWORD connections);

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    bool GetUseProxy() const { return useProxy; }
    // A code no radio button stands for is kept until one is clicked.
    DWORD GetTransferType() const { return transferType; }
    bool GetUsePassive() const { return usePassive; }
    const wchar_t* GetProxyServer();
    // Text that is not a number gives 0.
    DWORD GetProxyPort();
    // A number beyond the range reads as its nearest bound; text that is none
    // keeps the count shown.
    DWORD GetConnections();

  private:
    static const size_t kServerCapacity = 512;

    void ShowValues();
    void OnCommand(int id);
    void EnableProxyBoxes();
    void ShowConnections();

    bool usePassive;
    DWORD transferType;
    bool useProxy;
    DWORD proxyPort;
    DWORD connections;
    wchar_t proxyServer[kServerCapacity];
};
