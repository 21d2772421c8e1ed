#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

class RegStore;

// The server certificates the user chose to trust always, by SHA-256
// fingerprint, one per host and port, under a key of their own. A host that
// later shows another certificate is not trusted by this entry.
namespace TrustedCertificates {

// The stored fingerprint, or an empty text.
std::wstring Find(RegStore& store, const wchar_t* host, INTERNET_PORT port);
void Trust(RegStore& store, const wchar_t* host, INTERNET_PORT port, const wchar_t* sha256);

}  // namespace TrustedCertificates
