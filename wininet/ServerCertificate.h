#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A server's certificate judged by the system's own roots (crypt32): whether
// its chain reaches a trusted root and names the host, and what a person needs
// to decide about it when it does not.
struct ServerCertificate {
    DWORD error = 0;  // 0 when trusted for the host, else ERROR_INTERNET_INVALID_CA etc.
    std::wstring subject;
    std::wstring issuer;
    FILETIME validFrom = {};
    FILETIME validTo = {};
    std::wstring sha256;
};

// chain: DER certificates, the server's own first. Fails with
// ERROR_INTERNET_SECURITY_CHANNEL_ERROR when the chain cannot even be read; a
// certificate without a fingerprint or chain gets an error no answer overrides.
DWORD JudgeCertificate(const std::vector<std::string>& chain, const std::wstring& host,
                       ServerCertificate& verdict);
