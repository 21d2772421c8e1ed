#include "settings/TrustedHostKeys.h"

#include "settings/TrustedFingerprints.h"

namespace {

const wchar_t kTrustedKey[] = L"TrustedHostKeys";
const INTERNET_PORT kSshPort = 22;

}  // namespace

namespace TrustedHostKeys {

std::wstring Find(RegStore& store, const wchar_t* host, INTERNET_PORT port) {
    return TrustedFingerprints::Find(store, kTrustedKey, host, port, kSshPort);
}

void Trust(RegStore& store, const wchar_t* host, INTERNET_PORT port, const wchar_t* fingerprint) {
    TrustedFingerprints::Trust(store, kTrustedKey, host, port, kSshPort, fingerprint);
}

}  // namespace TrustedHostKeys
