#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "browsers/LocalBrowseWnd.h"
#include "resources/resource.h"
#include "support/DialogAnswerer.h"
#include "support/GuiApp.h"
#include "support/ScratchFolder.h"

namespace {

class LocalBrowseWndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            view.CreateBrowser(L"BrowseWnd", WS_POPUP | WS_VISIBLE, 0, 0, 400, 500, nullptr));
        scratch.MakeFile(L"big.bin", std::string(1536, 'x'));
        scratch.MakeFile(L"small.txt", std::string(10, 'x'));
        scratch.MakeFolder(L"sub\\inner");
        scratch.MakeFile(L"sub\\inner\\deep.txt");
        Open(scratch.RootedPath());
    }
    void TearDown() override { view.DestroyWnd(); }

    void Open(const std::wstring& path) {
        view.SetCurrentPath(path.c_str());
        view.Refresh();
    }

    std::wstring Cell(int row, int column) {
        wchar_t text[512] = L"";
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 512;
        view.GetFileList().GetItem(&item);
        return text;
    }

    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        for (int row = 0; row < view.GetFileList().GetItemCount(); ++row)
            names.push_back(Cell(row, 0));
        return names;
    }

    int RowOf(const std::wstring& name) {
        for (int row = 0; row < view.GetFileList().GetItemCount(); ++row)
            if (Cell(row, 0) == name) return row;
        return -1;
    }

    void Select(std::initializer_list<const wchar_t*> names) {
        view.GetFileList().SetItemState(-1, 0, LVIS_SELECTED);
        for (const wchar_t* name : names)
            view.GetFileList().SetItemState(RowOf(name), LVIS_SELECTED, LVIS_SELECTED);
    }

    std::wstring PathBoxEntry(int index) {
        wchar_t text[600] = L"";
        view.GetPathBox().GetLBText(index, text);
        return text;
    }

    void SortBy(int column) {
        NMLISTVIEW click = {};
        click.hdr.hwndFrom = view.GetFileList().GetHandle();
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        view.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    }

    GuiApp app;
    ScratchFolder scratch;
    LocalBrowseWnd view;
};

std::vector<std::wstring> EnumerationOrder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return names;
}

}  // namespace

TEST_F(LocalBrowseWndTest, RefreshListsEntriesReversedUnderParent) {
    std::vector<std::wstring> expected{L".."};
    std::vector<std::wstring> delivered = EnumerationOrder(scratch.Path());
    expected.insert(expected.end(), delivered.rbegin(), delivered.rend());
    EXPECT_EQ(expected, Names());
    int big = RowOf(L"big.bin");
    EXPECT_EQ(L"1.50kb", Cell(big, 1));
    EXPECT_EQ(L"File", Cell(big, 2));
    EXPECT_EQ(L"", Cell(RowOf(L"sub"), 1));
    EXPECT_EQ(L"Folder", Cell(RowOf(L"sub"), 2));
    EXPECT_EQ(L"Folder", Cell(0, 2));
}

TEST_F(LocalBrowseWndTest, SortKeepsParentOnTopAndComparesShownSizes) {
    scratch.MakeFile(L"also.bin", std::string(1540, 'x'));
    view.Refresh();
    SortBy(1);
    std::vector<std::wstring> names = Names();
    ASSERT_EQ(5u, names.size());
    EXPECT_EQ(L"..", names[0]);
    EXPECT_EQ(L"sub", names[1]);
    EXPECT_EQ(L"small.txt", names[2]);
    EXPECT_EQ(Cell(3, 1), Cell(4, 1));  // 1536 and 1540 bytes both show 1.50kb
    SortBy(0);
    EXPECT_EQ((std::vector<std::wstring>{L"..", L"also.bin", L"big.bin", L"small.txt", L"sub"}),
              Names());
    SortBy(2);
    EXPECT_EQ(L"..", Cell(0, 0));
    EXPECT_EQ(L"sub", Cell(4, 0));  // "File" rows before "Folder"
}

TEST_F(LocalBrowseWndTest, PathHistoryKeepsTenNewestFirst) {
    for (int i = 0; i < 11; ++i) {
        std::wstring name = L"d" + std::to_wstring(i);
        scratch.MakeFolder(name);
        Open(scratch.RootedPath() + L"\\" + name);
    }
    EXPECT_EQ(10, view.GetPathBox().GetCount());
    EXPECT_EQ(scratch.RootedPath() + L"\\d10", PathBoxEntry(0));
    EXPECT_EQ(scratch.RootedPath() + L"\\d1", PathBoxEntry(9));
    EXPECT_EQ(0, view.GetPathBox().GetCurSel());

    Open(scratch.RootedPath() + L"\\d5");
    EXPECT_EQ(10, view.GetPathBox().GetCount());
    EXPECT_EQ(scratch.RootedPath() + L"\\d5", PathBoxEntry(0));
    EXPECT_EQ(scratch.RootedPath() + L"\\d10", PathBoxEntry(1));

    // Picking an older entry from the box goes there and moves it to the top.
    view.GetPathBox().SetCurSel(3);
    std::wstring chosen = PathBoxEntry(3);
    view.Send(WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
              reinterpret_cast<LPARAM>(view.GetPathBox().GetHandle()));
    EXPECT_EQ(chosen, view.GetCurrentPath());
    EXPECT_EQ(chosen, PathBoxEntry(0));
}

TEST_F(LocalBrowseWndTest, DoubleClickOpensFolderAndParentGoesBack) {
    RECT cell = {LVIR_LABEL, 0, 0, 0};
    int row = RowOf(L"sub");
    Select({L"sub"});
    view.GetFileList().Send(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    LPARAM point = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    HWND list = view.GetFileList().GetHandle();
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
    EXPECT_EQ(scratch.RootedPath() + L"\\sub", view.GetCurrentPath());
    EXPECT_EQ((std::vector<std::wstring>{L"..", L"inner"}), Names());

    // A double click on a file changes nothing; on ".." it goes up.
    view.OpenFolder(L"inner");
    Select({L"deep.txt"});
    NMHDR doubleClick = {list, 0, static_cast<UINT>(NM_DBLCLK)};
    view.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&doubleClick));
    EXPECT_EQ(scratch.RootedPath() + L"\\sub\\inner", view.GetCurrentPath());
    Select({L".."});
    view.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&doubleClick));
    EXPECT_EQ(scratch.RootedPath() + L"\\sub", view.GetCurrentPath());
}

TEST_F(LocalBrowseWndTest, OverlongFolderIsRefusedWithMessage) {
    std::wstring before = view.GetCurrentPath();
    DialogAnswerer answerer(IDOK);
    view.OpenFolder(std::wstring(600, L'x').c_str());
    EXPECT_EQ(before, view.GetCurrentPath());
    EXPECT_EQ(1, answerer.Count());
    EXPECT_EQ(L"Path too long", answerer.LastText());
}

TEST_F(LocalBrowseWndTest, NewFolderIsNumberedWhenTaken) {
    wchar_t name[512];
    EXPECT_GE(view.CreateFolder(name), 0);
    EXPECT_STREQ(L"New Folder", name);
    scratch.MakeFolder(L"New Folder (2)");
    EXPECT_GE(view.CreateFolder(name), 0);
    EXPECT_STREQ(L"New Folder (3)", name);
    EXPECT_TRUE(scratch.Exists(L"New Folder (3)"));

    // Through the menu the new row comes up for naming at once.
    view.OnContextCommand(0, 0, IDM_NEW_FOLDER);
    EXPECT_TRUE(scratch.Exists(L"New Folder (4)"));
    EXPECT_EQ(L"New Folder (4)", Cell(0, 0));
    HWND edit = reinterpret_cast<HWND>(view.GetFileList().Send(LVM_GETEDITCONTROL, 0, 0));
    EXPECT_NE(nullptr, edit);
    view.GetFileList().Send(LVM_CANCELEDITLABEL, 0, 0);
}

TEST_F(LocalBrowseWndTest, NewFolderFailureIsReported) {
    Open(scratch.RootedPath() + L"\\missing");
    DialogAnswerer answerer(IDOK);
    view.OnContextCommand(0, 0, IDM_NEW_FOLDER);
    EXPECT_EQ(L"Can't create directory", answerer.LastText());
    EXPECT_EQ(L"ERROR", answerer.LastCaption());
}

TEST_F(LocalBrowseWndTest, RenameInPlaceRenamesOnDisk) {
    Select({L"small.txt"});
    view.BeginRename();
    HWND edit = reinterpret_cast<HWND>(view.GetFileList().Send(LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(nullptr, edit);
    SetWindowTextW(edit, L"renamed.txt");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages();
    EXPECT_TRUE(scratch.Exists(L"renamed.txt"));
    EXPECT_FALSE(scratch.Exists(L"small.txt"));
    EXPECT_NE(-1, RowOf(L"renamed.txt"));

    // ".." is never renamed.
    Select({L".."});
    view.BeginRename();
    EXPECT_EQ(0, view.GetFileList().Send(LVM_GETEDITCONTROL, 0, 0));
}

TEST_F(LocalBrowseWndTest, RenameRefusesNamesThatWouldMoveTheEntry) {
    DialogAnswerer answerer(IDOK);
    view.RenameItem(L"small.txt", L"sub\\moved.txt");
    view.RenameItem(L"small.txt", L"..");
    EXPECT_EQ(2, answerer.Count());
    EXPECT_EQ(L"Invalid name", answerer.LastText());
    EXPECT_TRUE(scratch.Exists(L"small.txt"));
    EXPECT_FALSE(scratch.Exists(L"sub\\moved.txt"));
    view.RenameItem(L"small.txt", L"small.txt");  // same name: nothing to do
    view.RenameItem(L"small.txt", nullptr);       // cancelled edit
    EXPECT_EQ(2, answerer.Count());
    EXPECT_TRUE(scratch.Exists(L"small.txt"));
}

TEST_F(LocalBrowseWndTest, DeleteAsksAndHonoursTheAnswer) {
    Select({L"..", L"small.txt", L"sub"});
    {
        DialogAnswerer answerer(IDNO);
        view.DeleteSelection();
        EXPECT_EQ(L"Are you sure you want to delete these 2 items?", answerer.LastText());
    }
    EXPECT_TRUE(scratch.Exists(L"small.txt"));
    EXPECT_TRUE(scratch.Exists(L"sub\\inner\\deep.txt"));
    {
        DialogAnswerer answerer(IDYES);
        view.DeleteSelection();
        EXPECT_EQ(1, answerer.Count());
    }
    EXPECT_FALSE(scratch.Exists(L"small.txt"));
    EXPECT_FALSE(scratch.Exists(L"sub"));
    EXPECT_TRUE(scratch.Exists(L"big.bin"));
    EXPECT_TRUE(scratch.Exists(L""));
    EXPECT_EQ((std::vector<std::wstring>{L"..", L"big.bin"}), Names());

    // Only ".." selected: no question, nothing deleted.
    Select({L".."});
    DialogAnswerer answerer(IDYES);
    view.DeleteSelection();
    EXPECT_EQ(0, answerer.Count());
}

TEST_F(LocalBrowseWndTest, DeleteOfOneItemAsksForThisItem) {
    Select({L"big.bin"});
    DialogAnswerer answerer(IDYES);
    view.DeleteSelection();
    EXPECT_EQ(L"Are you sure you want to delete this item?", answerer.LastText());
    EXPECT_FALSE(scratch.Exists(L"big.bin"));
}

TEST_F(LocalBrowseWndTest, SelectAllAndInvert) {
    ListViewCtl& list = view.GetFileList();
    view.SelectAll();
    EXPECT_EQ(4u, list.GetSelectedCount());
    Select({L"sub"});
    view.InvertSelection();
    EXPECT_EQ(3u, list.GetSelectedCount());
    EXPECT_EQ(0u, list.GetItemState(RowOf(L"sub"), LVIS_SELECTED));
    EXPECT_NE(0u, list.GetItemState(0, LVIS_SELECTED));
}

TEST_F(LocalBrowseWndTest, UploadToIsGreyedWithoutConnections) {
    HMENU popup = view.GetContextMenu();
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(0, GetMenuItemCount(GetSubMenu(popup, 2)));
    EXPECT_NE(0u, GetMenuState(popup, 2, MF_BYPOSITION) & MF_GRAYED);
}
