#include "dialogs/FtpPage.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <initializer_list>

#include "framework/TextUtil.h"
#include "resources/resource.h"
#include "settings/FtpOptions.h"

namespace {

const size_t kNumberTextCapacity = 32;

int TransferButton(DWORD code) {
    switch (code) {
        case transferAscii:
            return IDC_FTPPAGE_ASCII;
        case transferBinary:
            return IDC_FTPPAGE_BINARY;
        case transferPrompt:
            return IDC_FTPPAGE_PROMPT;
    }
    return 0;
}

}  // namespace

FtpPage::FtpPage(bool usePassive, bool useProxy, const wchar_t* server, DWORD proxyPort,
                 DWORD transferType, DWORD connections)
    : usePassive(usePassive),
      transferType(transferType),
      useProxy(useProxy),
      proxyPort(proxyPort),
      connections(connections),
      proxyServer() {
    CopyTextCut(proxyServer, server);
}

BOOL FtpPage::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            ShowValues();
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
            break;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}

const wchar_t* FtpPage::GetProxyServer() {
    if (hwnd) GetDlgItemTextW(hwnd, IDC_FTPPAGE_PROXY_SERVER, proxyServer, kServerCapacity);
    return proxyServer;
}

// Parsed as unsigned, so every port the page shows reads back unchanged.
DWORD FtpPage::GetProxyPort() {
    if (hwnd) {
        wchar_t text[kNumberTextCapacity] = L"";
        GetDlgItemTextW(hwnd, IDC_FTPPAGE_PROXY_PORT, text, kNumberTextCapacity);
        proxyPort = wcstoul(text, nullptr, 10);
    }
    return proxyPort;
}

DWORD FtpPage::GetConnections() {
    if (!hwnd) return connections;
    wchar_t text[kNumberTextCapacity] = L"";
    GetDlgItemTextW(hwnd, IDC_FTPPAGE_CONNECTIONS, text, kNumberTextCapacity);
    wchar_t* end = nullptr;
    unsigned long typed = wcstoul(text, &end, 10);
    if (end != text)
        connections = static_cast<DWORD>(std::clamp<unsigned long>(
            typed, FtpOptions::minConnections, FtpOptions::maxConnections));
    return connections;
}

void FtpPage::ShowValues() {
    if (int button = TransferButton(transferType)) CheckDlgButton(hwnd, button, BST_CHECKED);
    CheckDlgButton(hwnd, IDC_FTPPAGE_PASSIVE, usePassive ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_FTPPAGE_USE_PROXY, useProxy ? BST_CHECKED : BST_UNCHECKED);
    EnableProxyBoxes();
    SetDlgItemTextW(hwnd, IDC_FTPPAGE_PROXY_SERVER, proxyServer);
    wchar_t port[kNumberTextCapacity];
    swprintf(port, kNumberTextCapacity, L"%lu", static_cast<unsigned long>(proxyPort));
    SetDlgItemTextW(hwnd, IDC_FTPPAGE_PROXY_PORT, port);
    ShowConnections();
}

// The arrows step through the allowed counts and write them into their box.
void FtpPage::ShowConnections() {
    HWND arrows = GetItem(IDC_FTPPAGE_CONNECTIONS_ARROWS);
    SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetItem(IDC_FTPPAGE_CONNECTIONS)),
                 0);
    SendMessageW(arrows, UDM_SETRANGE32, FtpOptions::minConnections, FtpOptions::maxConnections);
    SendMessageW(arrows, UDM_SETPOS32, 0, connections);
}

void FtpPage::OnCommand(int id) {
    switch (id) {
        case IDC_FTPPAGE_PASSIVE:
            usePassive = IsDlgButtonChecked(hwnd, id) == BST_CHECKED;
            break;
        case IDC_FTPPAGE_USE_PROXY:
            useProxy = IsDlgButtonChecked(hwnd, id) == BST_CHECKED;
            EnableProxyBoxes();
            break;
        case IDC_FTPPAGE_ASCII:
        case IDC_FTPPAGE_BINARY:
        case IDC_FTPPAGE_PROMPT:
            transferType = IsDlgButtonChecked(hwnd, IDC_FTPPAGE_ASCII)    ? transferAscii
                           : IsDlgButtonChecked(hwnd, IDC_FTPPAGE_BINARY) ? transferBinary
                                                                          : transferPrompt;
            break;
    }
}

// Without a proxy its boxes are greyed and cannot be typed into.
void FtpPage::EnableProxyBoxes() {
    for (int id : {IDC_FTPPAGE_PROXY_SERVER, IDC_FTPPAGE_PROXY_PORT}) {
        HWND box = GetItem(id);
        EnableWindow(box, useProxy);
        SendMessageW(box, EM_SETREADONLY, !useProxy, 0);
    }
}
