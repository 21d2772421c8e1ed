#pragma once

#include <windows.h>

#include <string>

class RegStore;

// Fingerprints the user chose to trust always, one per host and port, as
// values of one registry key: the shared storage of trusted certificates and
// trusted SSH host keys. Host names ignore case; a port of 0 stands for the
// protocol's default port, so that both spellings find one entry.
namespace TrustedFingerprints {

// The stored fingerprint, or an empty text.
std::wstring Find(RegStore& store, const wchar_t* key, const wchar_t* host, WORD port,
                  WORD defaultPort);
void Trust(RegStore& store, const wchar_t* key, const wchar_t* host, WORD port, WORD defaultPort,
           const wchar_t* fingerprint);

}  // namespace TrustedFingerprints
