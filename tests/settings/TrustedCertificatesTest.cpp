#include <functional>

#include "RegistryTest.h"
#include "settings/TrustedCertificates.h"
#include "settings/TrustedHostKeys.h"

using TrustedCertificatesTest = RegistryTest;

namespace {

// One kind of trusted fingerprint: how it is found and trusted, and the port 0 stands for.
struct TrustKind {
    const wchar_t* name;
    std::function<std::wstring(RegStore&, const wchar_t*, INTERNET_PORT)> find;
    std::function<void(RegStore&, const wchar_t*, INTERNET_PORT, const wchar_t*)> trust;
    INTERNET_PORT defaultPort;
};

}  // namespace

// One entry per host and port; host names ignore case; a new trust replaces
// the old. Certificates and SSH host keys are kept apart: a host key trusted
// for a host and port never vouches for a certificate there, nor the reverse.
TEST_F(TrustedCertificatesTest, OneFingerprintPerHostAndPortAndKind) {
    ASSERT_TRUE(store.Open());
    const TrustKind kinds[] = {
        {L"certificates", TrustedCertificates::Find, TrustedCertificates::Trust, 21},
        {L"host keys", TrustedHostKeys::Find, TrustedHostKeys::Trust, 22},
    };
    for (const TrustKind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        EXPECT_EQ(L"", kind.find(store, L"ftp.example", kind.defaultPort));
        kind.trust(store, L"FTP.example", 0, L"AA:BB");
        kind.trust(store, L"ftp.example", 990, L"CC:DD");
        EXPECT_EQ(L"AA:BB", kind.find(store, L"ftp.example", kind.defaultPort));
        EXPECT_EQ(L"CC:DD", kind.find(store, L"ftp.example", 990));
        EXPECT_EQ(L"", kind.find(store, L"other.example", kind.defaultPort));
        kind.trust(store, L"ftp.example", kind.defaultPort, L"EE:FF");
        EXPECT_EQ(L"EE:FF", kind.find(store, L"ftp.example", 0));
    }
    TrustedHostKeys::Trust(store, L"both.example", 2222, L"SHA256:key");
    EXPECT_EQ(L"", TrustedCertificates::Find(store, L"both.example", 2222));
    TrustedCertificates::Trust(store, L"both.example", 2222, L"11:22");
    EXPECT_EQ(L"SHA256:key", TrustedHostKeys::Find(store, L"both.example", 2222));
}
