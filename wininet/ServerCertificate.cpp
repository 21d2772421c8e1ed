#include "wininet/ServerCertificate.h"

#include <wininet.h>
// After wininet.h, which brings the Windows types it needs.
#include <wincrypt.h>

#include <memory>

#include "wininet/FtpTlsApi.h"

namespace {

struct StoreCloser {
    void operator()(void* store) const { CertCloseStore(store, 0); }
};
struct CertificateFreer {
    void operator()(const CERT_CONTEXT* certificate) const {
        CertFreeCertificateContext(certificate);
    }
};
struct ChainFreer {
    void operator()(const CERT_CHAIN_CONTEXT* chain) const { CertFreeCertificateChain(chain); }
};

DWORD WinInetErrorOf(DWORD policyError) {
    switch (policyError) {
        case 0:
            return 0;
        case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
            return ERROR_INTERNET_SEC_CERT_CN_INVALID;
        case static_cast<DWORD>(CERT_E_EXPIRED):
            return ERROR_INTERNET_SEC_CERT_DATE_INVALID;
        case static_cast<DWORD>(CERT_E_REVOKED):
            return ERROR_INTERNET_SEC_CERT_REVOKED;
        case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
        case static_cast<DWORD>(CERT_E_UNTRUSTEDCA):
        case static_cast<DWORD>(CERT_E_CHAINING):
            return ERROR_INTERNET_INVALID_CA;
        default:
            return ERROR_INTERNET_SEC_CERT_ERRORS;
    }
}

std::wstring NameText(CERT_NAME_BLOB& name) {
    DWORD flags = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;
    DWORD size = CertNameToStrW(X509_ASN_ENCODING, &name, flags, nullptr, 0);
    std::wstring text(size, L'\0');
    CertNameToStrW(X509_ASN_ENCODING, &name, flags, &text[0], size);
    text.resize(size ? size - 1 : 0);
    return text;
}

std::wstring Sha256Text(const std::string& der) {
    BYTE hash[32];
    DWORD size = sizeof(hash);
    if (!CryptHashCertificate2(L"SHA256", 0, nullptr, reinterpret_cast<const BYTE*>(der.data()),
                               static_cast<DWORD>(der.size()), hash, &size))
        return L"";
    std::wstring text;
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    for (DWORD i = 0; i < size; ++i) {
        if (i) text += L':';
        text += kDigits[hash[i] >> 4];
        text += kDigits[hash[i] & 15];
    }
    return text;
}

// What the chain itself says, beside the policy: a signature that does not
// verify must fail even where a policy check overlooks it (a certificate that
// merely names a trusted root as its issuer).
DWORD ChainError(const CERT_CHAIN_CONTEXT* chain) {
    DWORD status = chain->TrustStatus.dwErrorStatus &
                   ~(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION);
    if (!status) return 0;
    if (status & CERT_TRUST_IS_NOT_TIME_VALID) return static_cast<DWORD>(CERT_E_EXPIRED);
    if (status & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN))
        return static_cast<DWORD>(CERT_E_UNTRUSTEDROOT);
    return static_cast<DWORD>(TRUST_E_CERT_SIGNATURE);
}

DWORD PolicyError(const CERT_CHAIN_CONTEXT* chain, const std::wstring& host) {
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof(ssl);
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof(policy);
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status))
        return static_cast<DWORD>(CERT_E_CHAINING);
    return status.dwError;
}

}  // namespace

DWORD JudgeCertificate(const std::vector<std::string>& chain, const std::wstring& host,
                       ServerCertificate& verdict) {
    if (chain.empty()) return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    std::unique_ptr<const CERT_CONTEXT, CertificateFreer> leaf(CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(chain[0].data()),
        static_cast<DWORD>(chain[0].size())));
    std::unique_ptr<void, StoreCloser> others(
        CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    if (!leaf || !others) return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    // The intermediates the server sent, so that a chain reaches the system's roots.
    for (size_t i = 1; i < chain.size(); ++i)
        CertAddEncodedCertificateToStore(
            others.get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(chain[i].data()),
            static_cast<DWORD>(chain[i].size()), CERT_STORE_ADD_ALWAYS, nullptr);
    verdict.subject = NameText(leaf->pCertInfo->Subject);
    verdict.issuer = NameText(leaf->pCertInfo->Issuer);
    verdict.validFrom = leaf->pCertInfo->NotBefore;
    verdict.validTo = leaf->pCertInfo->NotAfter;
    verdict.sha256 = Sha256Text(chain[0]);

    // Only a certificate meant for servers will do.
    LPSTR serverUse[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA parameters = {};
    parameters.cbSize = sizeof(parameters);
    parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
    parameters.RequestedUsage.Usage.rgpszUsageIdentifier = serverUse;
    const CERT_CHAIN_CONTEXT* built = nullptr;
    if (!CertGetCertificateChain(nullptr, leaf.get(), nullptr, others.get(), &parameters, 0,
                                 nullptr, &built)) {
        verdict.error = ERROR_FTP_CERTIFICATE_NO_CHAIN;
        return 0;
    }
    std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFreer> held(built);
    DWORD policy = PolicyError(built, host);
    verdict.error = WinInetErrorOf(policy ? policy : ChainError(built));
    // Without a fingerprint, nothing could tell this certificate from the next one.
    if (verdict.sha256.empty()) verdict.error = ERROR_FTP_CERTIFICATE_NO_FINGERPRINT;
    return 0;
}
