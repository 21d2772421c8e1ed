#include "settings/TrustedFingerprints.h"

#include <cwctype>

#include "settings/RegStore.h"

namespace {

// "host:port", in lower case: host names ignore case.
std::wstring EntryName(const wchar_t* host, WORD port, WORD defaultPort) {
    std::wstring name = host ? host : L"";
    for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
    return name + L":" + std::to_wstring(port ? port : defaultPort);
}

}  // namespace

namespace TrustedFingerprints {

std::wstring Find(RegStore& store, const wchar_t* key, const wchar_t* host, WORD port,
                  WORD defaultPort) {
    return store.ReadString(key, nullptr, EntryName(host, port, defaultPort).c_str(), L"")
        .GetText();
}

void Trust(RegStore& store, const wchar_t* key, const wchar_t* host, WORD port, WORD defaultPort,
           const wchar_t* fingerprint) {
    store.WriteString(key, nullptr, EntryName(host, port, defaultPort).c_str(), fingerprint);
}

}  // namespace TrustedFingerprints
