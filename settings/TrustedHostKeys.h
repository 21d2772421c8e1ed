#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

class RegStore;

// The SSH host keys the user chose to trust always, by SHA-256 fingerprint
// ("SHA256:" and base64, as OpenSSH prints it), one per host and port, under a
// key of their own beside the trusted certificates. A host that later shows
// another key is not trusted by this entry: a changed key must be asked about.
namespace TrustedHostKeys {

// The stored fingerprint, or an empty text.
std::wstring Find(RegStore& store, const wchar_t* host, INTERNET_PORT port);
void Trust(RegStore& store, const wchar_t* host, INTERNET_PORT port, const wchar_t* fingerprint);

}  // namespace TrustedHostKeys
