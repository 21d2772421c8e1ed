#include "settings/TrustedCertificates.h"

#include <wininet.h>

#include <cwctype>

#include "settings/RegStore.h"

namespace {

const wchar_t kTrustedKey[] = L"TrustedCertificates";

// "host:port", in lower case: host names ignore case.
std::wstring EntryName(const wchar_t* host, INTERNET_PORT port) {
    std::wstring name = host ? host : L"";
    for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
    return name + L":" + std::to_wstring(port ? port : INTERNET_DEFAULT_FTP_PORT);
}

}  // namespace

namespace TrustedCertificates {

std::wstring Find(RegStore& store, const wchar_t* host, INTERNET_PORT port) {
    return store.ReadString(kTrustedKey, nullptr, EntryName(host, port).c_str(), L"").GetText();
}

void Trust(RegStore& store, const wchar_t* host, INTERNET_PORT port, const wchar_t* sha256) {
    store.WriteString(kTrustedKey, nullptr, EntryName(host, port).c_str(), sha256);
}

}  // namespace TrustedCertificates
