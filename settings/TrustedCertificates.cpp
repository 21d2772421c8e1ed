#include "settings/TrustedCertificates.h"

#include "settings/TrustedFingerprints.h"

namespace {

const wchar_t kTrustedKey[] = L"TrustedCertificates";

}  // namespace

namespace TrustedCertificates {

std::wstring Find(RegStore& store, const wchar_t* host, INTERNET_PORT port) {
    return TrustedFingerprints::Find(store, kTrustedKey, host, port, INTERNET_DEFAULT_FTP_PORT);
}

void Trust(RegStore& store, const wchar_t* host, INTERNET_PORT port, const wchar_t* sha256) {
    TrustedFingerprints::Trust(store, kTrustedKey, host, port, INTERNET_DEFAULT_FTP_PORT, sha256);
}

}  // namespace TrustedCertificates
