#pragma once

#include <windows.h>

#include "framework/BaseDlg.h"
#include "settings/SessionInfo.h"

class BaseWnd;
class SessionList;

// "Connect...": pick a saved session or type a host, protocol, port, user and
// password (and for SFTP a key file). The dialog edits its own record; the
// caller reads it after "Connect".
class ConnectDlg : public BaseDlg {
  public:
    static const DWORD kNewHostPort = 21;
    static const DWORD kSftpPort = 22;

    ConnectDlg();
    ~ConnectDlg() override;

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;
    // IDOK when the user pressed "Connect", IDCANCEL otherwise.
    virtual INT_PTR DoModal(BaseWnd* parent);

    void SetSessions(SessionList* list) { sessions = list; }
    SessionInfo& Record() { return record; }
    void ShowRecord(const SessionInfo& shown);

  private:
    void OnInitDialog();
    void OnConnect();
    void OnSaveHost();
    void OnAnonymous();
    void FillAnonymousLogin();
    void OnSessionChosen();
    bool ReadPort(DWORD* port);
    void ShowPort(DWORD port);
    bool ReadServerOffset(LONG* offset);
    void ShowServerOffset(LONG offset);
    void ShowEncryption(DWORD encryption);
    DWORD ReadEncryption();
    DWORD ReadProtocol();
    void OnProtocolChosen();
    void OnBrowseKeyFile();
    void UpdateEnabling();
    bool IsChecked(int id);
    void ReadItemText(int id, wchar_t* text, int capacity);
    void EnableItem(int id, bool enable);

    SessionInfo record;
    SessionList* sessions;
};
