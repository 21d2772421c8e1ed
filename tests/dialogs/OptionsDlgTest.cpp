#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "DialogControls.h"
#include "dialogs/OptionsDlg.h"
#include "resources/resource.h"
#include "settings/RegStore.h"
#include "support/GuiApp.h"
#include "support/ModalScript.h"
#include "support/ScratchKey.h"

namespace {

const int kFtpTab = 1;

void ExpectSameOptions(const FtpOptions& expected, const FtpOptions& actual) {
    EXPECT_STREQ(expected.GetAnonymousPassword(), actual.GetAnonymousPassword());
    EXPECT_EQ(expected.GetExistingFileOption(), actual.GetExistingFileOption());
    EXPECT_EQ(expected.GetUseProxy(), actual.GetUseProxy());
    EXPECT_STREQ(expected.GetProxyServer(), actual.GetProxyServer());
    EXPECT_EQ(expected.GetProxyPort(), actual.GetProxyPort());
    EXPECT_EQ(expected.GetTransferType(), actual.GetTransferType());
    EXPECT_EQ(expected.GetUsePassive(), actual.GetUsePassive());
}

void ShowTab(HWND dialog, int index) {
    ClickTab(FindWindowExW(FindWindowExW(dialog, nullptr, L"SmartTab", nullptr), nullptr,
                           WC_TABCONTROLW, nullptr),
             index);
}

bool IsEditable(HWND dialog, int id) {
    HWND box = FindControl(dialog, id);
    return IsWindowEnabled(box) && !(GetWindowLongW(box, GWL_STYLE) & ES_READONLY);
}

// Every control set away from the defaults, the Ftp tab last.
void ChangeEverything(HWND dialog) {
    SetWindowTextW(FindControl(dialog, IDC_GENERAL_EMAIL), L"me@example.org");
    Click(dialog, IDC_GENERAL_OVERWRITE);
    ShowTab(dialog, kFtpTab);
    Click(dialog, IDC_FTPPAGE_USE_PROXY);
    SetWindowTextW(FindControl(dialog, IDC_FTPPAGE_PROXY_SERVER), L"proxy.example");
    SetWindowTextW(FindControl(dialog, IDC_FTPPAGE_PROXY_PORT), L"8021");
    Click(dialog, IDC_FTPPAGE_ASCII);
    Click(dialog, IDC_FTPPAGE_PASSIVE);
}

}  // namespace

// The dialog is opened as the user opens it: View > Options... on the frame.
class OptionsDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.frame.CreateFrame(L"Corvane", WS_VISIBLE, 0, 0, 320, 400, IDR_MENUBAR));
    }
    void TearDown() override {
        app.frame.DestroyWnd();
        PumpMessages();
    }

    void OpenOptions(ModalScript::Steps steps) {
        ModalScript script(steps);
        app.frame.HandleCommand(IDM_OPTIONS, 0, 0);
        EXPECT_TRUE(script.Ran());
    }

    GuiApp app;
    FtpOptions& options = app.options;
};

TEST_F(OptionsDlgTest, DefaultsShowAndOkAtOnceKeepsThem) {
    OpenOptions([](HWND dialog) {
        EXPECT_EQ(L"guest@corvane.example", TextOf(dialog, IDC_GENERAL_EMAIL));
        EXPECT_TRUE(IsChecked(dialog, IDC_GENERAL_PROMPT));
        EXPECT_TRUE(IsChecked(dialog, IDC_FTPPAGE_BINARY));
        EXPECT_EQ(L"0", TextOf(dialog, IDC_FTPPAGE_PROXY_PORT));
        // The proxy boxes are open only while the check box is ticked.
        ShowTab(dialog, kFtpTab);
        EXPECT_FALSE(IsEditable(dialog, IDC_FTPPAGE_PROXY_SERVER));
        EXPECT_FALSE(IsEditable(dialog, IDC_FTPPAGE_PROXY_PORT));
        Click(dialog, IDC_FTPPAGE_USE_PROXY);
        EXPECT_TRUE(IsEditable(dialog, IDC_FTPPAGE_PROXY_SERVER));
        EXPECT_TRUE(IsEditable(dialog, IDC_FTPPAGE_PROXY_PORT));
        Click(dialog, IDC_FTPPAGE_USE_PROXY);
        EXPECT_FALSE(IsEditable(dialog, IDC_FTPPAGE_PROXY_SERVER));
        Click(dialog, IDOK);
    });
    ExpectSameOptions(FtpOptions(), options);
}

TEST_F(OptionsDlgTest, EveryChangeReachesTheOptionsOnDoneAndShowsNextTime) {
    OpenOptions([](HWND dialog) {
        ChangeEverything(dialog);
        SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // the shell's Done button
    });
    EXPECT_STREQ(L"me@example.org", options.GetAnonymousPassword());
    EXPECT_EQ(static_cast<DWORD>(existingOverwrite), options.GetExistingFileOption());
    EXPECT_TRUE(options.GetUseProxy() && options.GetUsePassive());
    EXPECT_STREQ(L"proxy.example", options.GetProxyServer());
    EXPECT_EQ(8021u, options.GetProxyPort());
    EXPECT_EQ(static_cast<DWORD>(transferAscii), options.GetTransferType());

    FtpOptions stored = options;
    OpenOptions([](HWND dialog) {
        EXPECT_EQ(L"me@example.org", TextOf(dialog, IDC_GENERAL_EMAIL));
        EXPECT_TRUE(IsChecked(dialog, IDC_GENERAL_OVERWRITE));
        EXPECT_TRUE(IsChecked(dialog, IDC_FTPPAGE_USE_PROXY));
        EXPECT_TRUE(IsEditable(dialog, IDC_FTPPAGE_PROXY_PORT));
        EXPECT_EQ(L"8021", TextOf(dialog, IDC_FTPPAGE_PROXY_PORT));
        EXPECT_TRUE(IsChecked(dialog, IDC_FTPPAGE_ASCII) && IsChecked(dialog, IDC_FTPPAGE_PASSIVE));
        Click(dialog, IDOK);
    });
    ExpectSameOptions(stored, options);
}

TEST_F(OptionsDlgTest, EachRadioButtonStoresItsCode) {
    struct {
        int generalButton;
        DWORD existingFile;
        int ftpButton;
        DWORD transfer;
    } const cases[] = {
        {IDC_GENERAL_RESUME, existingResume, IDC_FTPPAGE_ASCII, transferAscii},
        {IDC_GENERAL_SKIP, existingSkip, IDC_FTPPAGE_PROMPT, transferPrompt},
        {IDC_GENERAL_OVERWRITE, existingOverwrite, IDC_FTPPAGE_BINARY, transferBinary},
        {IDC_GENERAL_PROMPT, existingPrompt, IDC_FTPPAGE_ASCII, transferAscii},
    };
    for (const auto& each : cases) {
        OpenOptions([&](HWND dialog) {
            Click(dialog, each.generalButton);
            ShowTab(dialog, kFtpTab);
            Click(dialog, each.ftpButton);
            Click(dialog, IDOK);
        });
        EXPECT_EQ(each.existingFile, options.GetExistingFileOption()) << each.generalButton;
        EXPECT_EQ(each.transfer, options.GetTransferType()) << each.ftpButton;
    }
}

TEST_F(OptionsDlgTest, PortTextBecomesANumberAndLettersGiveZero) {
    for (const auto& [text, port] : {std::pair{L"8021", 8021u}, {L"abc", 0u}, {L"", 0u}}) {
        options.SetProxyPort(99);
        OpenOptions([&](HWND dialog) {
            SetWindowTextW(FindControl(dialog, IDC_FTPPAGE_PROXY_PORT), text);
            Click(dialog, IDOK);
        });
        EXPECT_EQ(port, options.GetProxyPort()) << text;
    }
}

TEST_F(OptionsDlgTest, CancelAfterChangingEverythingKeepsTheOptions) {
    FtpOptions before = options;
    OpenOptions([](HWND dialog) {
        ChangeEverything(dialog);
        Click(dialog, IDCANCEL);
    });
    ExpectSameOptions(before, options);
}

// Codes another version may have stored, and a port beyond what a signed
// conversion keeps, come back from the registry as they went in.
TEST_F(OptionsDlgTest, UnknownStoredCodesShowNothingCheckedAndSurviveOk) {
    ScratchKey key(L"Software\\CorvaneTest\\Options");
    RegStore store;
    store.SetMakerKey(L"CorvaneTest");
    store.SetProductKey(L"Options");
    ASSERT_TRUE(store.Open());
    key.SetDword(L"FtpConfig", L"Existing File Option", 9);
    key.SetDword(L"FtpConfig", L"Transfer Type", 7);
    key.SetDword(L"FtpConfig", L"Proxy Port", 4000000000u);
    options.Load(store);
    OpenOptions([](HWND dialog) {
        for (int button :
             {IDC_GENERAL_RESUME, IDC_GENERAL_SKIP, IDC_GENERAL_OVERWRITE, IDC_GENERAL_PROMPT,
              IDC_FTPPAGE_ASCII, IDC_FTPPAGE_BINARY, IDC_FTPPAGE_PROMPT})
            EXPECT_FALSE(IsChecked(dialog, button)) << button;
        Click(dialog, IDOK);
    });
    options.Save(store);
    EXPECT_EQ(9u, key.GetDword(L"FtpConfig", L"Existing File Option"));
    EXPECT_EQ(7u, key.GetDword(L"FtpConfig", L"Transfer Type"));
    EXPECT_EQ(4000000000u, key.GetDword(L"FtpConfig", L"Proxy Port"));
}
