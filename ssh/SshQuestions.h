#pragma once
#include <windows.h>

#include <string>

#include "ssh/SftpSession.h"  // SshHostKey {type, fingerprint}

// Questions an SFTP login puts to its status window (WM_APP_CONNECT_STATUS, wParam the
// status, lParam a StatusReport whose `information` points to the question), answered
// on the user-interface thread while the login waits; nothing is sent before the answer.
const DWORD kSshStatusHostKey = 0x7F10;     // information: SshHostKeyQuestion
const DWORD kSshStatusPassphrase = 0x7F11;  // information: SshPassphraseQuestion

struct SshHostKeyQuestion {
    std::wstring host;
    unsigned port = 22;
    SshHostKey key;
    std::wstring trustedFingerprint;  // trusted before for this host and port; empty: first contact
    bool accept = false;              // the answer: Connect once or Always trust
};

struct SshPassphraseQuestion {
    std::wstring keyFile;
    bool wrongBefore = false;  // the last passphrase given did not open the key
    std::string passphrase;    // UTF-8, the answer
    bool given = false;        // false: the user cancelled
};
