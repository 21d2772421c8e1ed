#include "dialogs/ConnectDlg.h"

#include <commdlg.h>

#include <cwchar>
#include <cwctype>

#include "app/FtpClientApp.h"
#include "framework/TextUtil.h"
#include "resources/resource.h"
#include "settings/SessionList.h"

namespace {

const int kTextCapacity = 512;
const int kPortCapacity = 16;

struct EncryptionChoice {
    SessionEncryption value;
    const wchar_t* text;
};
const EncryptionChoice kEncryptionChoices[] = {
    {kRequireTls, L"Require explicit FTP over TLS"},
    {kTlsIfAvailable, L"Use explicit FTP over TLS if available"},
    {kPlainFtp, L"Plain FTP (insecure)"},
};

// In the order of SessionProtocol's values.
const wchar_t* const kProtocolNames[] = {L"FTP", L"SFTP (SSH)"};

DWORD DefaultPort(DWORD protocol) {
    return protocol == kProtocolSftp ? ConnectDlg::kSftpPort : ConnectDlg::kNewHostPort;
}

}  // namespace

ConnectDlg::ConnectDlg() : record(), sessions(nullptr) {
    record.port = kNewHostPort;
    record.encryption = kRequireTls;
    record.serverTimeOffset = kNoServerOffset;
}

ConnectDlg::~ConnectDlg() {}

INT_PTR ConnectDlg::DoModal(BaseWnd* parent) { return RunModal(IDD_CONNECT, parent); }

BOOL ConnectDlg::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        OnInitDialog();
        return FALSE;
    }
    if (message != WM_COMMAND) return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
    switch (LOWORD(wParam)) {
        case IDOK:
            OnConnect();
            return TRUE;
        case IDCANCEL:
            EndWithResult(IDCANCEL);
            return TRUE;
        case IDC_CONNECT_SAVE_HOST:
            OnSaveHost();
            return TRUE;
        case IDC_CONNECT_ANONYMOUS:
            OnAnonymous();
            return TRUE;
        case IDC_CONNECT_SESSION:
            if (HIWORD(wParam) != CBN_SELCHANGE) break;
            OnSessionChosen();
            return TRUE;
        case IDC_CONNECT_PROTOCOL:
            if (HIWORD(wParam) != CBN_SELCHANGE) break;
            OnProtocolChosen();
            return TRUE;
        case IDC_CONNECT_KEY_BROWSE:
            OnBrowseKeyFile();
            return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}

// The focus goes to the host box, where a new connection starts.
void ConnectDlg::OnInitDialog() {
    if (sessions) {
        PtrList<WString*> names;
        sessions->CopyNames(names);
        while (!names.IsEmpty()) {
            WString* name = names.RemoveHead();
            SendDlgItemMessageW(hwnd, IDC_CONNECT_SESSION, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(name->GetText()));
            delete name;
        }
    }
    // The record holds no longer path, and a cut one could name another file.
    SendDlgItemMessageW(hwnd, IDC_CONNECT_KEY_FILE, EM_LIMITTEXT, kTextCapacity - 1, 0);
    for (const wchar_t* name : kProtocolNames)
        SendDlgItemMessageW(hwnd, IDC_CONNECT_PROTOCOL, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(name));
    for (const EncryptionChoice& choice : kEncryptionChoices)
        SendDlgItemMessageW(hwnd, IDC_CONNECT_ENCRYPTION, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(choice.text));
    ShowRecord(record);
    SetFocus(GetItem(IDC_CONNECT_HOST));
}

void ConnectDlg::ShowRecord(const SessionInfo& shown) {
    SetDlgItemTextW(hwnd, IDC_CONNECT_SESSION, shown.name);
    SetDlgItemTextW(hwnd, IDC_CONNECT_HOST, shown.host);
    SetDlgItemTextW(hwnd, IDC_CONNECT_USER, shown.user);
    SetDlgItemTextW(hwnd, IDC_CONNECT_PASSWORD, shown.password);
    ShowPort(shown.port);
    WPARAM protocol = shown.protocol == kProtocolSftp ? kProtocolSftp : kProtocolFtp;
    SendDlgItemMessageW(hwnd, IDC_CONNECT_PROTOCOL, CB_SETCURSEL, protocol, 0);
    SetDlgItemTextW(hwnd, IDC_CONNECT_KEY_FILE, shown.keyFile);
    ShowEncryption(shown.encryption);
    ShowServerOffset(shown.serverTimeOffset);
    CheckDlgButton(hwnd, IDC_CONNECT_ANONYMOUS, shown.bAnonymous ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_CONNECT_SAVE_HOST, shown.bSaveHost ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_CONNECT_SAVE_PASSWORD,
                   shown.bSavePassword ? BST_CHECKED : BST_UNCHECKED);
    // A saved anonymous session keeps no password: it logs in as a new one does.
    if (shown.bAnonymous) FillAnonymousLogin();
    UpdateEnabling();
}

// Taken from the boxes as they stand, so that a session picked from the list
// enables what fits it, whatever the record held before. SSH always encrypts,
// and only SFTP logs in with a key file.
void ConnectDlg::UpdateEnabling() {
    bool sftp = ReadProtocol() == kProtocolSftp;
    EnableItem(IDC_CONNECT_ENCRYPTION, !sftp);
    EnableItem(IDC_CONNECT_KEY_FILE, sftp);
    EnableItem(IDC_CONNECT_KEY_BROWSE, sftp);
    bool anonymous = IsChecked(IDC_CONNECT_ANONYMOUS);
    EnableItem(IDC_CONNECT_USER, !anonymous);
    EnableItem(IDC_CONNECT_PASSWORD, !anonymous);
    EnableItem(IDC_CONNECT_SAVE_PASSWORD, !anonymous && IsChecked(IDC_CONNECT_SAVE_HOST));
}

void ConnectDlg::OnConnect() {
    record.bSaveHost = IsChecked(IDC_CONNECT_SAVE_HOST);
    record.bAnonymous = IsChecked(IDC_CONNECT_ANONYMOUS);
    record.bSavePassword = IsChecked(IDC_CONNECT_SAVE_PASSWORD);
    ReadItemText(IDC_CONNECT_SESSION, record.name, kTextCapacity);
    if (record.bSaveHost && record.name[0] == L'\0') {
        MessageBoxW(hwnd, L"Please enter some session name", L"Session name required",
                    MB_ICONHAND | MB_OK);
        return;
    }
    DWORD port = 0;
    if (!ReadPort(&port)) {
        MessageBoxW(hwnd, L"Please enter a port number up to 65535", L"Port required",
                    MB_ICONHAND | MB_OK);
        return;
    }
    LONG offset = kNoServerOffset;
    if (!ReadServerOffset(&offset)) {
        MessageBoxW(hwnd, L"Please enter the server's time offset in hours, from -12 to 14",
                    L"Server time offset", MB_ICONHAND | MB_OK);
        return;
    }
    record.port = port;
    record.serverTimeOffset = offset;
    record.encryption = ReadEncryption();
    record.protocol = ReadProtocol();
    ReadItemText(IDC_CONNECT_KEY_FILE, record.keyFile, kTextCapacity);
    ReadItemText(IDC_CONNECT_HOST, record.host, kTextCapacity);
    ReadItemText(IDC_CONNECT_USER, record.user, kTextCapacity);
    ReadItemText(IDC_CONNECT_PASSWORD, record.password, kTextCapacity);
    EndWithResult(IDOK);
}

// An empty box stands for the protocol's port (so does 0, which a stored
// session may hold); anything but a port number is refused.
bool ConnectDlg::ReadPort(DWORD* port) {
    wchar_t text[kPortCapacity];
    ReadItemText(IDC_CONNECT_PORT, text, kPortCapacity);
    if (text[0] == L'\0') {
        *port = DefaultPort(ReadProtocol());
        return true;
    }
    DWORD value = 0;
    for (const wchar_t* digit = text; *digit; ++digit) {
        if (!iswdigit(*digit)) return false;
        value = value * 10 + (*digit - L'0');
        if (value > 65535) return false;
    }
    *port = value;
    return true;
}

// An empty box: the server's zone is not known. Otherwise whole hours east of
// UTC, with an optional sign ("-5", "+1", "0").
bool ConnectDlg::ReadServerOffset(LONG* offset) {
    wchar_t text[kPortCapacity];
    ReadItemText(IDC_CONNECT_TIME_OFFSET, text, kPortCapacity);
    const wchar_t* digit = text;
    while (iswspace(*digit)) ++digit;
    if (*digit == L'\0') {
        *offset = kNoServerOffset;
        return true;
    }
    bool negative = *digit == L'-';
    if (*digit == L'-' || *digit == L'+') ++digit;
    LONG value = 0;
    const wchar_t* digits = digit;
    for (; *digit && !iswspace(*digit); ++digit) {
        if (!iswdigit(*digit) || value > kMaxServerOffset) return false;
        value = value * 10 + (*digit - L'0');
    }
    bool number = digit > digits;
    while (iswspace(*digit)) ++digit;
    if (*digit || !number) return false;
    value = negative ? -value : value;
    if (value < kMinServerOffset || value > kMaxServerOffset) return false;
    *offset = value;
    return true;
}

void ConnectDlg::ShowPort(DWORD port) {
    wchar_t text[kPortCapacity];
    swprintf(text, kPortCapacity, L"%u", static_cast<unsigned>(port));
    SetDlgItemTextW(hwnd, IDC_CONNECT_PORT, text);
}

void ConnectDlg::ShowServerOffset(LONG offset) {
    wchar_t text[kPortCapacity] = L"";
    if (offset != kNoServerOffset)
        swprintf(text, kPortCapacity, offset > 0 ? L"+%ld" : L"%ld", offset);
    SetDlgItemTextW(hwnd, IDC_CONNECT_TIME_OFFSET, text);
}

void ConnectDlg::ShowEncryption(DWORD encryption) {
    WPARAM index = 0;
    for (WPARAM i = 0; i < ARRAYSIZE(kEncryptionChoices); ++i)
        if (kEncryptionChoices[i].value == encryption) index = i;
    SendDlgItemMessageW(hwnd, IDC_CONNECT_ENCRYPTION, CB_SETCURSEL, index, 0);
}

DWORD ConnectDlg::ReadEncryption() {
    LRESULT index = SendDlgItemMessageW(hwnd, IDC_CONNECT_ENCRYPTION, CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(ARRAYSIZE(kEncryptionChoices)))
        return kRequireTls;
    return kEncryptionChoices[index].value;
}

DWORD ConnectDlg::ReadProtocol() {
    LRESULT index = SendDlgItemMessageW(hwnd, IDC_CONNECT_PROTOCOL, CB_GETCURSEL, 0, 0);
    return index == kProtocolSftp ? kProtocolSftp : kProtocolFtp;
}

// The port follows the protocol only where it is the other protocol's default
// or not given (empty, or 0 as a stored session may hold): a port the user
// typed is kept.
void ConnectDlg::OnProtocolChosen() {
    DWORD protocol = ReadProtocol();
    DWORD other = protocol == kProtocolSftp ? kProtocolFtp : kProtocolSftp;
    DWORD port = 0;
    // An empty box reads as the chosen protocol's port.
    if (ReadPort(&port) &&
        (port == 0 || port == DefaultPort(other) || port == DefaultPort(protocol)))
        ShowPort(DefaultPort(protocol));
    UpdateEnabling();
}

// The open-file dialog starts at the path shown; the folder the program runs in stays.
void ConnectDlg::OnBrowseKeyFile() {
    wchar_t path[kTextCapacity];
    ReadItemText(IDC_CONNECT_KEY_FILE, path, kTextCapacity);
    OPENFILENAMEW choice = {};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = hwnd;
    choice.lpstrFilter = L"All files\0*.*\0";
    choice.lpstrFile = path;
    choice.nMaxFile = kTextCapacity;
    choice.lpstrTitle = L"Private key file";
    choice.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&choice)) SetDlgItemTextW(hwnd, IDC_CONNECT_KEY_FILE, path);
}

void ConnectDlg::OnSaveHost() {
    record.bSaveHost = IsChecked(IDC_CONNECT_SAVE_HOST);
    UpdateEnabling();
    if (!record.bSaveHost) return;
    ReadItemText(IDC_CONNECT_SESSION, record.name, kTextCapacity);
    if (record.name[0] != L'\0') return;
    ReadItemText(IDC_CONNECT_HOST, record.name, kTextCapacity);
    SetDlgItemTextW(hwnd, IDC_CONNECT_SESSION, record.name);
}

// The texts put in for an anonymous login stay when the box is unticked.
void ConnectDlg::OnAnonymous() {
    record.bAnonymous = IsChecked(IDC_CONNECT_ANONYMOUS);
    record.bSaveHost = IsChecked(IDC_CONNECT_SAVE_HOST);
    if (record.bAnonymous) FillAnonymousLogin();
    UpdateEnabling();
}

// The e-mail address of the options is the anonymous password.
void ConnectDlg::FillAnonymousLogin() {
    SetDlgItemTextW(hwnd, IDC_CONNECT_USER, L"Anonymous");
    SetDlgItemTextW(hwnd, IDC_CONNECT_PASSWORD, GetApp()->options.GetAnonymousPassword());
}

void ConnectDlg::OnSessionChosen() {
    if (!sessions) return;
    LRESULT index = SendDlgItemMessageW(hwnd, IDC_CONNECT_SESSION, CB_GETCURSEL, 0, 0);
    LRESULT length = SendDlgItemMessageW(hwnd, IDC_CONNECT_SESSION, CB_GETLBTEXTLEN, index, 0);
    if (index == CB_ERR || length == CB_ERR || length >= kTextCapacity) return;
    wchar_t name[kTextCapacity] = L"";
    SendDlgItemMessageW(hwnd, IDC_CONNECT_SESSION, CB_GETLBTEXT, index,
                        reinterpret_cast<LPARAM>(name));
    if (const SessionInfo* session = sessions->FindByName(name)) ShowRecord(*session);
}

bool ConnectDlg::IsChecked(int id) { return IsDlgButtonChecked(hwnd, id) == BST_CHECKED; }

void ConnectDlg::ReadItemText(int id, wchar_t* text, int capacity) {
    text[0] = L'\0';
    GetDlgItemTextW(hwnd, id, text, capacity);
}

void ConnectDlg::EnableItem(int id, bool enable) { EnableWindow(GetItem(id), enable); }
