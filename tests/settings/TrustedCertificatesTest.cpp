#include "RegistryTest.h"
#include "settings/TrustedCertificates.h"
#include "settings/TrustedHostKeys.h"

using TrustedCertificatesTest = RegistryTest;

// One entry per host and port; host names ignore case; a new trust replaces the
// old. SSH host keys are kept apart from certificates, with port 22 for 0.
TEST_F(TrustedCertificatesTest, OneFingerprintPerHostAndPort) {
    ASSERT_TRUE(store.Open());
    EXPECT_EQ(L"", TrustedCertificates::Find(store, L"ftp.example", 21));
    TrustedCertificates::Trust(store, L"FTP.example", 0, L"AA:BB");
    TrustedCertificates::Trust(store, L"ftp.example", 990, L"CC:DD");
    EXPECT_EQ(L"AA:BB", TrustedCertificates::Find(store, L"ftp.example", 21));
    EXPECT_EQ(L"CC:DD", TrustedCertificates::Find(store, L"ftp.example", 990));
    EXPECT_EQ(L"", TrustedCertificates::Find(store, L"other.example", 21));
    TrustedCertificates::Trust(store, L"ftp.example", 21, L"EE:FF");
    EXPECT_EQ(L"EE:FF", TrustedCertificates::Find(store, L"ftp.example", 21));
    TrustedHostKeys::Trust(store, L"FTP.example", 0, L"SHA256:key");
    EXPECT_EQ(L"SHA256:key", TrustedHostKeys::Find(store, L"ftp.example", 22));
    EXPECT_EQ(L"", TrustedHostKeys::Find(store, L"ftp.example", 21));
    EXPECT_EQ(L"", TrustedCertificates::Find(store, L"ftp.example", 22));
    EXPECT_EQ(L"EE:FF", TrustedCertificates::Find(store, L"ftp.example", 21));
}
