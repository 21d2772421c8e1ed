#include <gtest/gtest.h>

#include "dialogs/CertificateDlg.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"

// A certificate that could not be checked (no fingerprint, no chain built)
// says why and offers Cancel alone; even "Connect once" sent to it by other
// means accepts nothing. One that was checked may still be accepted.
TEST(CertificateDlg, ACertificateThatCannotBeCheckedOffersCancelAlone) {
    GuiApp app;
    struct Case {
        DWORD error;
        const wchar_t* sha256;
        const wchar_t* reason;
        CertificateDlg::Choice choice;
    } cases[] = {
        {ERROR_INTERNET_INVALID_CA, L"AB:CD", L"No authority", CertificateDlg::kConnectOnce},
        {ERROR_INTERNET_INVALID_CA, L"", L"No authority", CertificateDlg::kCancel},
        {ERROR_FTP_CERTIFICATE_NO_FINGERPRINT, L"", L"fingerprint could not be computed",
         CertificateDlg::kCancel},
        {ERROR_FTP_CERTIFICATE_NO_CHAIN, L"AB:CD", L"chain of authorities could not be built",
         CertificateDlg::kCancel},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.error);
        FTP_SERVER_CERTIFICATE certificate = {L"localhost", 21, test.error, L"CN=localhost",
                                              L"CN=issuer", {}, {},         test.sha256,
                                              FALSE};
        bool offered = false;
        std::wstring warning;
        DialogDriver driver;
        driver.On(L"Server certificate", [&](HWND d) {
            offered = IsWindowVisible(GetDlgItem(d, IDC_CERTIFICATE_ONCE)) &&
                      IsWindowVisible(GetDlgItem(d, IDC_CERTIFICATE_ALWAYS));
            warning = ItemText(d, IDC_CERTIFICATE_WARNING);
            SendMessageW(d, WM_COMMAND, IDC_CERTIFICATE_ONCE, 0);
        });
        EXPECT_EQ(test.choice, CertificateDlg(certificate, L"").Ask(nullptr));
        EXPECT_EQ(test.choice == CertificateDlg::kConnectOnce, offered);
        EXPECT_NE(std::wstring::npos, warning.find(test.reason)) << warning;
        EXPECT_EQ(test.choice == CertificateDlg::kConnectOnce,
                  FtpCertificateCanBeAccepted(certificate));
    }
}
