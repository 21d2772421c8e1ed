#include <gtest/gtest.h>

#include "browsers/FtpBrowseWnd.h"
#include "dialogs/ConnectingDlg.h"
#include "ftp/TransferTypes.h"
#include "resources/resource.h"
#include "settings/SessionInfo.h"
#include "support/DialogDriver.h"
#include "support/FtpFixture.h"
#include "support/GuiApp.h"

namespace {

using Texts = std::vector<std::wstring>;

// Notes each status text the dialog comes to show, and its host and user fields.
class WatchedConnectingDlg : public ConnectingDlg {
  public:
    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override {
        BOOL result = ConnectingDlg::OnDialogMessage(handle, message, wParam, lParam);
        if (message == WM_APP_CONNECT_STATUS) {
            std::wstring status = ItemText(handle, IDC_CONNECTING_STATUS);
            if (statuses.empty() || statuses.back() != status) statuses.push_back(status);
            fields = {ItemText(handle, IDC_CONNECTING_HOST), ItemText(handle, IDC_CONNECTING_USER)};
        }
        return result;
    }

    Texts statuses, fields;
};

class ConnectingDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Load()) << kFixtureMissing;
        view.CreateBrowser(L"BrowseWnd", WS_POPUP, 0, 0, 200, 200, nullptr);
    }
    void TearDown() override { view.DestroyWnd(); }

    int Run(const std::wstring& password, WORD port, const wchar_t* host = nullptr) {
        return dialog.Run(&view, host ? host : server.host.c_str(), server.user.c_str(),
                          password.c_str(), L"session", port, IDD_CONNECTING, nullptr);
    }

    GuiApp app;
    FixtureServer server;
    FtpBrowseWnd view;
    WatchedConnectingDlg dialog;
};

}  // namespace

// The silent server never greets, so the login could only end by the FTP
// layer's own time limit; Cancel must not wait for it.
TEST_F(ConnectingDlgTest, CancelReturnsAtOnceAndTheAbandonedLoginStaysSilent) {
    DialogDriver driver;
    DWORD pressed = 0;
    driver.On(L"Connecting...", [&](HWND d) {
        pressed = GetTickCount();
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(ConnectingDlg::kCancelled,
              Run(server.password, FixturePort("CORVANE_FTP_SILENT_PORT")));
    EXPECT_LT(GetTickCount() - pressed, 5000u);
    EXPECT_FALSE(view.GetEngine().IsConnected());

    // Once the abandoned login has timed out, nothing of it shows up anywhere.
    PumpFor(13000);
    EXPECT_EQ((Texts{L"Connecting...: "}), driver.Seen());
    driver.On(L"Connecting...", nullptr);
    EXPECT_EQ(ConnectingDlg::kLoggedIn, Run(server.password, server.port));
}

// A certificate no authority vouches for is shown before the login goes on;
// Cancel ends the attempt as the user's choice, "Connect once" logs in over TLS.
// The result reaches the dialog even while another loop runs, as a menu's does.
TEST_F(ConnectingDlgTest, LoginAsksAboutTheCertificateAndHandsTheConnectionToTheView) {
    dialog.SetEncryption(kRequireTls);
    const WORD tlsPort = FixturePort("CORVANE_FTPS_SELFSIGNED_PORT");
    std::wstring details;
    DialogDriver driver;
    driver.On(L"Server certificate", [&](HWND d) {
        details = ItemText(d, IDC_CERTIFICATE_DETAILS);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(ConnectingDlg::kCancelled, Run(server.password, tlsPort, L"localhost"));
    EXPECT_NE(std::wstring::npos, details.find(FixtureFingerprint("selfsigned"))) << details;
    EXPECT_NE(std::wstring::npos, details.find(L"Subject: CN=localhost")) << details;

    driver.On(L"Server certificate", Pressing({IDC_CERTIFICATE_ONCE}));
    driver.On(L"Connecting...", [](HWND) { PumpFor(2000); });
    dialog.statuses.clear();
    ASSERT_EQ(ConnectingDlg::kLoggedIn, Run(server.password, tlsPort, L"localhost"));
    EXPECT_EQ(
        (Texts{L"Resolving name", L"Connecting to server", L"Securing connection", L"Logging in"}),
        dialog.statuses);
    EXPECT_EQ((Texts{L"localhost", server.user}), dialog.fields);
    EXPECT_EQ(nullptr, dialog.GetHandle());
    view.Refresh();
    ASSERT_TRUE(WaitUntilIdle(view));
    EXPECT_STREQ(L"/", view.GetCurrentPath());
    EXPECT_STREQ(L"session", view.GetSessionName());
    EXPECT_STREQ(L"localhost", view.GetHost());
    EXPECT_STREQ(L" (TLS)", view.GetEngine().ProtectionNote());
    EXPECT_EQ(2, driver.Count(L"Server certificate"));
}
