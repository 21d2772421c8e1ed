#include "settings/FtpOptions.h"

#include "framework/TextUtil.h"
#include "settings/RegStore.h"

namespace {

const wchar_t configKey[] = L"FtpConfig";
const wchar_t anonymousPasswordValue[] = L"Anonymous Password";
const wchar_t useProxyValue[] = L"Use Proxy";
const wchar_t transferTypeValue[] = L"Transfer Type";
const wchar_t usePassiveValue[] = L"Use Passive Semantics";
const wchar_t proxyPortValue[] = L"Proxy Port";
const wchar_t proxyServerValue[] = L"Proxy Server";
const wchar_t existingFileValue[] = L"Existing File Option";
const wchar_t connectionsValue[] = L"Simultaneous Transfers";
const wchar_t keepTimesValue[] = L"Keep Times";

const wchar_t defaultAnonymousPassword[] = L"guest@corvane.example";

}  // namespace

FtpOptions::FtpOptions()
    : anonymousPassword(),
      proxyServer(),
      proxyPort(0),
      useProxy(false),
      transferType(transferBinary),
      usePassive(false),
      existingFileOption(existingPrompt),
      connections(defaultConnections),
      keepTimes(true) {
    CopyTextCut(anonymousPassword, defaultAnonymousPassword);
}

FtpOptions::~FtpOptions() {}

void FtpOptions::SetAnonymousPassword(const wchar_t* text) { CopyTextCut(anonymousPassword, text); }

void FtpOptions::SetProxyServer(const wchar_t* text) { CopyTextCut(proxyServer, text); }

void FtpOptions::SetConnections(DWORD count) {
    bool allowed = count >= minConnections && count <= maxConnections;
    connections = allowed ? count : defaultConnections;
}

// Each read falls back to the current value, so a missing value changes nothing.
void FtpOptions::Load(RegStore& store) {
    SetAnonymousPassword(
        store.ReadString(configKey, nullptr, anonymousPasswordValue, anonymousPassword).GetText());
    useProxy = store.ReadDword(configKey, nullptr, useProxyValue, useProxy) != 0;
    transferType = store.ReadDword(configKey, nullptr, transferTypeValue, transferType);
    usePassive = store.ReadDword(configKey, nullptr, usePassiveValue, usePassive) != 0;
    proxyPort = store.ReadDword(configKey, nullptr, proxyPortValue, proxyPort);
    SetProxyServer(store.ReadString(configKey, nullptr, proxyServerValue, proxyServer).GetText());
    existingFileOption = store.ReadDword(configKey, nullptr, existingFileValue, existingFileOption);
    // A value of another type (a string, a broken one) reads as the current count.
    SetConnections(store.ReadDword(configKey, nullptr, connectionsValue, connections));
    keepTimes = store.ReadDword(configKey, nullptr, keepTimesValue, keepTimes) != 0;
}

bool FtpOptions::Save(RegStore& store) {
    bool saved = store.WriteString(configKey, nullptr, anonymousPasswordValue, anonymousPassword);
    saved &= store.WriteDword(configKey, nullptr, useProxyValue, useProxy ? 1 : 0);
    saved &= store.WriteDword(configKey, nullptr, transferTypeValue, transferType);
    saved &= store.WriteDword(configKey, nullptr, usePassiveValue, usePassive ? 1 : 0);
    saved &= store.WriteDword(configKey, nullptr, proxyPortValue, proxyPort);
    saved &= store.WriteString(configKey, nullptr, proxyServerValue, proxyServer);
    saved &= store.WriteDword(configKey, nullptr, existingFileValue, existingFileOption);
    saved &= store.WriteDword(configKey, nullptr, connectionsValue, connections);
    saved &= store.WriteDword(configKey, nullptr, keepTimesValue, keepTimes ? 1 : 0);
    return saved;
}
