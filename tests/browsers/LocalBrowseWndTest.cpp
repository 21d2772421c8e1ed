#include <gtest/gtest.h>

#include <algorithm>

#include "browsers/LocalBrowseWnd.h"
#include "browsers/ModifiedText.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/FtpFixture.h"
#include "support/GuiApp.h"
#include "support/ListRows.h"
#include "support/ScratchFolder.h"

using Names = std::vector<std::wstring>;

class LocalBrowseWndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(view.CreateBrowser(L"BrowseWnd", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, 0));
        scratch.MakeFile(L"big.bin", std::string(1536, 'x'));
        scratch.MakeFile(L"small.txt", std::string(10, 'x'));
        scratch.MakeFile(L"sub\\inner\\deep.txt");
        Open(L"");
    }
    void TearDown() override { view.DestroyWnd(); }

    void Open(const std::wstring& relative) {
        view.SetCurrentPath((scratch.RootedPath() + relative).c_str());
        view.Refresh();
    }

    ListViewCtl& List() { return view.GetFileList(); }

    std::wstring Cell(int row, int column) { return CellText(List(), row, column); }
    Names Rows() { return RowNames(List()); }

    int RowOf(const std::wstring& name) {
        for (int row = 0; row < List().GetItemCount(); ++row)
            if (Cell(row, 0) == name) return row;
        return -1;
    }

    void Select(std::initializer_list<const wchar_t*> names) { SelectRows(List(), names); }

    void Key(WORD key) { List().Send(WM_KEYDOWN, key, 0); }

    void Notify(UINT code, int subItem = 0) {
        NMLISTVIEW notice = {};
        notice.hdr = {List().GetHandle(), 0, code};
        notice.iSubItem = subItem;
        view.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    }

    std::wstring History(int index) {
        wchar_t text[600] = L"";
        view.GetPathBox().GetLBText(index, text);
        return text;
    }

    GuiApp app;
    ScratchFolder scratch;
    LocalBrowseWnd view;
};

// A sparse file past 4 GiB, and dates whose texts sort otherwise than the times do.
TEST_F(LocalBrowseWndTest, ListsNewestFirstUnderTheParentAndSortsByColumn) {
    ASSERT_TRUE(SetFileFacts(scratch.Join(L"huge.iso"), FileTimeOf(2021, 1, 5), 5ll << 30));
    ASSERT_TRUE(SetFileFacts(scratch.Join(L"small.txt"), FileTimeOf(2020, 9, 1)));
    ASSERT_TRUE(SetFileFacts(scratch.Join(L"big.bin"), FileTimeOf(2020, 10, 1)));
    view.Refresh();
    Names listed{L".."};  // the view shows the entries in reverse of the order they are found
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(scratch.Join(L"*").c_str(), &data);
    do
        if (data.cFileName[0] != L'.') listed.insert(listed.begin() + 1, data.cFileName);
    while (FindNextFileW(search, &data));
    FindClose(search);
    EXPECT_EQ(listed, Rows());
    wchar_t shown[64];
    FormatModifiedText(FileTimeOf(2021, 1, 5), false, shown, 64);
    int huge = RowOf(L"huge.iso");
    EXPECT_EQ((Names{L"5.00gb", L"File", shown, L"Folder"}),
              (Names{Cell(huge, 1), Cell(huge, 2), Cell(huge, 3), Cell(RowOf(L"sub"), 2)}));

    Select({L"sub"});
    Notify(LVN_COLUMNCLICK, 0);
    EXPECT_EQ((Names{L"..", L"big.bin", L"huge.iso", L"small.txt", L"sub"}), Rows());
    Notify(LVN_COLUMNCLICK, 1);  // by the size shown, so "10b" comes before "1.50kb"
    EXPECT_EQ((Names{L"..", L"sub", L"small.txt", L"big.bin", L"huge.iso"}), Rows());
    Notify(LVN_COLUMNCLICK, 3);  // "sub" was made today
    EXPECT_EQ((Names{L"..", L"small.txt", L"big.bin", L"huge.iso", L"sub"}), Rows());
    Notify(LVN_COLUMNCLICK, 3);  // the same header again: reversed, the parent still on top
    EXPECT_EQ((Names{L"..", L"sub", L"huge.iso", L"big.bin", L"small.txt"}), Rows());
    EXPECT_EQ(1, List().GetNextItem(-1, LVNI_SELECTED));  // the selection moved with its row
    EXPECT_EQ(-1, List().GetNextItem(1, LVNI_SELECTED));
    // A name's start typed, in any case.
    LVFINDINFOW typed = {LVFI_PARTIAL | LVFI_WRAP, L"BI", 0, {}, 0};
    EXPECT_EQ(3, List().FindItem(-1, &typed));
}

TEST_F(LocalBrowseWndTest, PathHistoryKeepsTenNewestFirst) {
    auto folder = [&](int i) { return L"\\d" + std::to_wstring(i); };
    for (int i = 0; i < 11; ++i) {
        scratch.MakeFolder(folder(i));
        Open(folder(i));
    }
    Open(folder(5));  // moves up, not in twice
    EXPECT_EQ(10, view.GetPathBox().GetCount());
    EXPECT_EQ(scratch.RootedPath() + folder(5), History(0));
    EXPECT_EQ(scratch.RootedPath() + folder(10), History(1));
    EXPECT_EQ(scratch.RootedPath() + folder(1), History(9));

    // Choosing an entry in the box goes there and moves it to the top.
    view.GetPathBox().SetCurSel(3);
    std::wstring chosen = History(3);
    view.Send(WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
              reinterpret_cast<LPARAM>(view.GetPathBox().GetHandle()));
    EXPECT_EQ(chosen, view.GetCurrentPath());
    EXPECT_EQ(chosen, History(0));
}

TEST_F(LocalBrowseWndTest, NewFolderIsNumberedAndRenamedInPlace) {
    scratch.MakeFolder(L"New Folder");
    scratch.MakeFolder(L"New Folder (2)");
    view.OnContextCommand(0, 0, IDM_NEW_FOLDER);
    EXPECT_EQ(L"New Folder (3)", Cell(0, 0));
    HWND edit = reinterpret_cast<HWND>(List().Send(LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(nullptr, edit);
    SetWindowTextW(edit, L"named");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(scratch.Exists(L"named"));
    EXPECT_NE(-1, RowOf(L"named"));

    DialogDriver answerer(Pressing({IDOK}));
    view.RenameItem(L"small.txt", nullptr);  // cancelled: nothing to say
    EXPECT_EQ(0, answerer.Count());
    view.RenameItem(L"small.txt", L"sub\\moved.txt");
    view.RenameItem(L"small.txt", L"..");
    EXPECT_EQ(2, answerer.Count());
    EXPECT_EQ(L"Invalid name", answerer.LastText());
    EXPECT_TRUE(scratch.Exists(L"small.txt"));
    Select({L".."});
    view.BeginRename();
    EXPECT_EQ(0, List().Send(LVM_GETEDITCONTROL, 0, 0));

    view.OpenFolder(std::wstring(600, L'x').c_str());
    EXPECT_EQ(L"Path too long", answerer.LastText());
    EXPECT_EQ(scratch.RootedPath(), view.GetCurrentPath());
    Open(L"\\missing");
    view.OnContextCommand(0, 0, IDM_NEW_FOLDER);
    EXPECT_EQ(L"Can't create directory", answerer.LastText());
}

TEST_F(LocalBrowseWndTest, DeleteAsksAndHonoursTheAnswer) {
    DialogDriver yes(Pressing({IDYES}));
    Select({L".."});
    view.DeleteSelection();  // nothing to delete, nothing asked
    Select({L"..", L"small.txt", L"sub"});
    view.DeleteSelection();
    EXPECT_EQ(Names{L"Error: Are you sure you want to delete these 2 items?"}, yes.Seen());
    EXPECT_EQ((Names{L"..", L"big.bin"}), Rows());
    EXPECT_FALSE(scratch.Exists(L"sub"));
}

// Double-clicks and Enter open folders only; the other keys do what their menu items say.
TEST_F(LocalBrowseWndTest, KeysAndDoubleClicksDoWhatTheirMenuItemsSay) {
    scratch.MakeFile(L"later.txt");
    Key(VK_F5);
    EXPECT_NE(-1, RowOf(L"later.txt"));
    Select({L"sub"});
    Notify(NM_DBLCLK);
    EXPECT_EQ((Names{L"..", L"inner"}), Rows());
    List().SetItemState(RowOf(L"inner"), LVIS_FOCUSED, LVIS_FOCUSED);
    Key(VK_RETURN);
    Select({L"deep.txt"});
    Notify(NM_DBLCLK);
    Select({L".."});
    Notify(NM_DBLCLK);
    EXPECT_EQ(scratch.RootedPath() + L"\\sub", view.GetCurrentPath());
    Key(VK_BACK);

    Select({L"small.txt"});
    Key(VK_F2);
    HWND edit = reinterpret_cast<HWND>(List().Send(LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(nullptr, edit);
    SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    SetFocus(view.GetHandle());  // as a closed message box gives it back
    EXPECT_EQ(List().GetHandle(), GetFocus());
    {
        DialogDriver no(Pressing({IDNO}));
        Key(VK_DELETE);
        EXPECT_EQ(L"Are you sure you want to delete this item?", no.LastText());
    }
    EXPECT_TRUE(scratch.Exists(L"small.txt"));
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    Key('A');
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(static_cast<UINT>(List().GetItemCount()), List().GetSelectedCount());
    Select({L"sub"});
    view.InvertSelection();
    EXPECT_EQ(static_cast<UINT>(List().GetItemCount() - 1), List().GetSelectedCount());
}

// Above a root are the drives; nothing there can be deleted, renamed or made.
TEST_F(LocalBrowseWndTest, GoingUpFromARootListsTheDrives) {
    view.SetCurrentPath(L"\\");
    view.OpenFolder(L"..");
    EXPECT_STREQ(L"", view.GetCurrentPath());
    Names rows = Rows();
    EXPECT_EQ(L"C:", rows[0]);  // in order of their letters, no parent entry
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    EXPECT_EQ(L"Folder", Cell(0, 2));

    DialogDriver nothing(Pressing({IDOK}));
    Select({L"C:"});
    view.DeleteSelection();
    view.BeginRename();
    view.OnContextCommand(0, 0, IDM_NEW_FOLDER);
    EXPECT_EQ(0, nothing.Count());
    EXPECT_EQ(0, List().Send(LVM_GETEDITCONTROL, 0, 0));

    std::wstring drive = scratch.Path().substr(0, 2);  // the scratch folder's own, e.g. "Z:"
    Select({drive.c_str()});
    Notify(NM_DBLCLK);
    EXPECT_EQ(drive + L"\\", view.GetCurrentPath());
    EXPECT_EQ(L"..", Cell(0, 0));
    Key(VK_BACK);
    EXPECT_STREQ(L"", view.GetCurrentPath());
}
