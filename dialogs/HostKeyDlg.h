#pragma once

#include <windows.h>

#include <string>

#include "framework/BaseDlg.h"
#include "ssh/SshQuestions.h"

// The question about an SSH server's host key before anything of the user is
// sent: the key's type and SHA-256 fingerprint, and whether to connect once,
// trust it always for this host and port, or cancel. A host whose trusted key
// has changed gets a loud warning naming both fingerprints. Cancel is the
// default: Enter never connects to an unverified server. A key without a
// fingerprint cannot be checked and offers Cancel alone.
class HostKeyDlg : public BaseDlg {
  public:
    enum Choice { kCancel, kConnectOnce, kAlwaysTrust };

    explicit HostKeyDlg(const SshHostKeyQuestion& question);
    Choice Ask(HWND owner);
    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    static std::wstring Warning(const SshHostKeyQuestion& question);
    static std::wstring Details(const SshHostKeyQuestion& question);

  private:
    const SshHostKeyQuestion& question;
};
