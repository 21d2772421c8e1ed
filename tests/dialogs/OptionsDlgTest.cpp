#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <tuple>
#include <utility>

#include "dialogs/OptionsDlg.h"
#include "support/FrameTest.h"
#include "support/DialogDriver.h"

namespace {

const int kFtpTab = 1;

HWND TabControl(HWND dialog) {
    return FindWindowExW(FindWindowExW(dialog, nullptr, SmartTab::kClassName, nullptr), nullptr,
                         WC_TABCONTROLW, nullptr);
}

bool IsEditable(HWND dialog, int id) {
    HWND box = Item(dialog, id);
    return IsWindowEnabled(box) && !(GetWindowLongW(box, GWL_STYLE) & ES_READONLY);
}

void ClickTab(HWND dialog, int index) {
    HWND tabs = TabControl(dialog);
    RECT tab = {};
    TabCtrl_GetItemRect(tabs, index, &tab);
    LPARAM middle = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageW(tabs, WM_LBUTTONUP, 0, middle);
}

// Every value the dialog edits, comparable as a whole.
auto Values(const FtpOptions& o) {
    return std::make_tuple(std::wstring(o.GetAnonymousPassword()), o.GetExistingFileOption(),
                           o.GetUseProxy(), std::wstring(o.GetProxyServer()), o.GetProxyPort(),
                           o.GetTransferType(), o.GetUsePassive(), o.GetConnections(),
                           o.GetKeepTimes());
}

// Presses one of the up-down control's arrows with the mouse, as a tap would.
void PressArrow(HWND dialog, bool up) {
    HWND arrows = Item(dialog, IDC_FTPPAGE_CONNECTIONS_ARROWS);
    RECT area;
    GetClientRect(arrows, &area);
    LPARAM point = MAKELPARAM(area.right / 2, up ? area.bottom / 4 : area.bottom * 3 / 4);
    SendMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(arrows, WM_LBUTTONUP, 0, point);
}

}  // namespace

// The dialog is opened as the user opens it: View > Options... on the frame.
class OptionsDlgTest : public FrameTest {
  protected:
    // The steps run inside the dialog's own loop, as a user meets it, and end it.
    void OpenOptions(DialogDriver::Action steps) {
        DialogDriver driver([&steps](HWND dialog) {
            steps(dialog);
            if (!IsWindowVisible(dialog)) return;
            ADD_FAILURE() << "the steps left the dialog open";
            EndDialog(dialog, 0);
        });
        app.frame.HandleCommand(IDM_OPTIONS, 0, 0);
        EXPECT_EQ(1, driver.Count());
    }

    FtpOptions& options = app.options;
};

TEST_F(OptionsDlgTest, TabsShowOnePageAtATimeInsideTheTabControl) {
    OpenOptions([this](HWND dialog) {
        HWND tabs = TabControl(dialog);
        HWND general = GetParent(Item(dialog, IDC_GENERAL_EMAIL));
        HWND ftp = GetParent(Item(dialog, IDC_FTPPAGE_PASSIVE));
        auto shown = [&] { return std::pair(!!IsWindowVisible(general), !!IsWindowVisible(ftp)); };
        EXPECT_EQ(std::pair(true, false), shown());
        ClickTab(dialog, kFtpTab);
        EXPECT_EQ(std::pair(false, true), shown());
        // A selection change while no tab is selected leaves the page shown.
        TabCtrl_SetCurSel(tabs, -1);
        NMHDR change = {tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(GetParent(tabs), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
        EXPECT_EQ(std::pair(false, true), shown());
        ClickTab(dialog, 0);
        EXPECT_EQ(std::pair(true, false), shown());

        // The dialog grew to cover the frame, with a close box for Done, before
        // the pages were placed 5 pixels inside the tabs' body.
        RECT frame, placed, row, body;
        app.frame.GetWindowRect(&frame);
        GetWindowRect(dialog, &placed);
        EXPECT_TRUE(EqualRect(&frame, &placed));
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_STYLE) & WS_SYSMENU);
        GetClientRect(tabs, &body);
        TabCtrl_GetItemRect(tabs, 0, &row);
        RECT expected = {5, row.bottom + 5, body.right - 5, body.bottom - 5};
        GetWindowRect(ftp, &placed);
        MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_TRUE(EqualRect(&expected, &placed));
        Click(dialog, IDOK);
    });
}

// Every control reaches the record on OK or the shell's Done and none on
// Cancel; every radio button gives its own code, the port box what it reads as
// a number (0 when it holds none), and the proxy boxes are open only while
// their check box is ticked. Opened again and closed with OK at once, the
// dialog keeps what is stored, even codes that no button stands for.
TEST_F(OptionsDlgTest, EachControlRoundTripsIntoTheRecordAndCancelKeepsIt) {
    struct {
        int generalButton;
        DWORD existingFile;
        int ftpButton;
        DWORD transfer;
        const wchar_t* portText;
        DWORD port;
        int close;  // a button, or 0 for the shell's Done
    } const rows[] = {
        {IDC_GENERAL_OVERWRITE, existingOverwrite, IDC_FTPPAGE_ASCII, transferAscii, L"1", 1,
         IDCANCEL},
        {IDC_GENERAL_RESUME, existingResume, IDC_FTPPAGE_ASCII, transferAscii, L"8021", 8021, 0},
        {IDC_GENERAL_SKIP, existingSkip, IDC_FTPPAGE_PROMPT, transferPrompt, L"abc", 0, IDOK},
        {IDC_GENERAL_OVERWRITE, existingOverwrite, IDC_FTPPAGE_BINARY, transferBinary, L" 21", 21,
         IDOK},
        {IDC_GENERAL_PROMPT, existingPrompt, IDC_FTPPAGE_ASCII, transferAscii, L"", 0, IDOK},
        {IDC_GENERAL_IF_NEWER, existingIfNewer, IDC_FTPPAGE_BINARY, transferBinary, L"2", 2, IDOK},
    };
    FtpOptions expected;
    for (const auto& row : rows) {
        std::wstring text = L"row" + std::to_wstring(&row - rows) + L"@example.org";
        SCOPED_TRACE(text);
        OpenOptions([&](HWND dialog) {
            SetItemText(dialog, IDC_GENERAL_EMAIL, text);
            Click(dialog, row.generalButton);
            Click(dialog, IDC_GENERAL_KEEP_TIMES);  // each row flips it too
            ClickTab(dialog, kFtpTab);
            bool proxy = !IsItemChecked(dialog, IDC_FTPPAGE_USE_PROXY);
            Click(dialog, IDC_FTPPAGE_USE_PROXY);  // each row flips both boxes
            EXPECT_EQ(proxy, IsEditable(dialog, IDC_FTPPAGE_PROXY_SERVER));
            EXPECT_EQ(proxy, IsEditable(dialog, IDC_FTPPAGE_PROXY_PORT));
            Click(dialog, IDC_FTPPAGE_PASSIVE);
            SetItemText(dialog, IDC_FTPPAGE_PROXY_SERVER, text);
            SetItemText(dialog, IDC_FTPPAGE_PROXY_PORT, row.portText);
            Click(dialog, row.ftpButton);
            row.close ? Click(dialog, row.close)
                      : void(SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
        });
        if (row.close != IDCANCEL) {
            expected.SetAnonymousPassword(text.c_str());
            expected.SetExistingFileOption(row.existingFile);
            expected.SetUseProxy(!expected.GetUseProxy());
            expected.SetUsePassive(!expected.GetUsePassive());
            expected.SetProxyServer(text.c_str());
            expected.SetProxyPort(row.port);
            expected.SetTransferType(row.transfer);
            expected.SetKeepTimes(!expected.GetKeepTimes());
        }
        EXPECT_EQ(Values(expected), Values(options));
    }
    // Codes another version may have stored, and a port too large for a signed conversion.
    options.SetExistingFileOption(9);
    options.SetTransferType(7);
    options.SetProxyPort(4000000000u);
    expected = options;
    OpenOptions([](HWND dialog) { Click(dialog, IDOK); });
    EXPECT_EQ(Values(expected), Values(options));
}

// The count shows as stored; the arrows step within 1-10; a typed number beyond
// the range becomes its nearest bound and text that is none keeps the count shown.
TEST_F(OptionsDlgTest, SimultaneousTransfersStayWithinOneToTen) {
    struct {
        DWORD shown;
        const wchar_t* typed;  // or null to press the arrows
        int presses;           // up when positive, down when negative
        DWORD stored;
    } const rows[] = {
        {4, nullptr, 1, 5}, {9, nullptr, 3, 10}, {2, nullptr, -3, 1}, {4, L"7", 0, 7},
        {4, L"0", 0, 1},    {4, L"15", 0, 10},   {6, L"abc", 0, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        options.SetConnections(row.shown);
        OpenOptions([&](HWND dialog) {
            ClickTab(dialog, kFtpTab);
            EXPECT_EQ(std::to_wstring(row.shown), ItemText(dialog, IDC_FTPPAGE_CONNECTIONS));
            if (row.typed) SetItemText(dialog, IDC_FTPPAGE_CONNECTIONS, row.typed);
            for (int press = 0; press < std::abs(row.presses); ++press)
                PressArrow(dialog, row.presses > 0);
            Click(dialog, IDOK);
        });
        EXPECT_EQ(row.stored, options.GetConnections());
    }
}
