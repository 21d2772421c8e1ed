#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "browsers/LocalBrowseWnd.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
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

TEST_F(LocalBrowseWndTest, ListsNewestFirstUnderTheParentAndSortsByColumn) {
    Names listed{L".."};  // the view shows the entries in reverse of the order they are found
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(scratch.Join(L"*").c_str(), &data);
    do
        if (data.cFileName[0] != L'.') listed.insert(listed.begin() + 1, data.cFileName);
    while (FindNextFileW(search, &data));
    FindClose(search);
    EXPECT_EQ(listed, Rows());
    // Ids follow the listing's order: the parent entry 0, the last listed (on top) highest.
    EXPECT_EQ(0, List().GetItemData(0));
    for (int row = 2; row < List().GetItemCount(); ++row)
        EXPECT_EQ(List().GetItemData(row - 1), List().GetItemData(row) + 1);
    int big = RowOf(L"big.bin");
    EXPECT_EQ((Names{L"1.50kb", L"File", L"Folder"}),
              (Names{Cell(big, 1), Cell(big, 2), Cell(RowOf(L"sub"), 2)}));

    Notify(LVN_COLUMNCLICK, 1);  // by the size shown, so "10b" comes before "1.50kb"
    EXPECT_EQ((Names{L"..", L"sub", L"small.txt", L"big.bin"}), Rows());
    Notify(LVN_COLUMNCLICK, 0);
    EXPECT_EQ((Names{L"..", L"big.bin", L"small.txt", L"sub"}), Rows());
    Notify(LVN_COLUMNCLICK, 0);  // the same header again: reversed, the parent still on top
    EXPECT_EQ((Names{L"..", L"sub", L"small.txt", L"big.bin"}), Rows());
    Notify(LVN_COLUMNCLICK, 1);
    Notify(LVN_COLUMNCLICK, 1);
    EXPECT_EQ((Names{L"..", L"big.bin", L"small.txt", L"sub"}), Rows());
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

TEST_F(LocalBrowseWndTest, DoubleClickOpensFoldersOnly) {
    Select({L"sub"});
    Notify(NM_DBLCLK);
    EXPECT_EQ((Names{L"..", L"inner"}), Rows());
    view.OpenFolder(L"inner");
    Select({L"deep.txt"});
    Notify(NM_DBLCLK);
    Select({L".."});
    Notify(NM_DBLCLK);
    EXPECT_EQ(scratch.RootedPath() + L"\\sub", view.GetCurrentPath());

    DialogDriver answerer(Pressing({IDOK}));
    view.OpenFolder(std::wstring(600, L'x').c_str());
    EXPECT_EQ(L"Path too long", answerer.LastText());
    EXPECT_EQ(scratch.RootedPath() + L"\\sub", view.GetCurrentPath());
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
    view.RenameItem(L"small.txt", L"small.txt");  // unchanged or cancelled: nothing to say
    view.RenameItem(L"small.txt", nullptr);
    EXPECT_EQ(0, answerer.Count());
    view.RenameItem(L"small.txt", L"sub\\moved.txt");
    view.RenameItem(L"small.txt", L"..");
    EXPECT_EQ(2, answerer.Count());
    EXPECT_EQ(L"Invalid name", answerer.LastText());
    EXPECT_TRUE(scratch.Exists(L"small.txt"));
    Select({L".."});
    view.BeginRename();
    EXPECT_EQ(0, List().Send(LVM_GETEDITCONTROL, 0, 0));

    Open(L"\\missing");
    view.OnContextCommand(0, 0, IDM_NEW_FOLDER);
    EXPECT_EQ(L"Can't create directory", answerer.LastText());
}

TEST_F(LocalBrowseWndTest, DeleteAsksAndHonoursTheAnswer) {
    Select({L"..", L"small.txt", L"sub"});
    {
        DialogDriver no(Pressing({IDNO}));
        view.DeleteSelection();
        EXPECT_EQ(L"Are you sure you want to delete these 2 items?", no.LastText());
    }
    EXPECT_TRUE(scratch.Exists(L"sub\\inner\\deep.txt"));
    DialogDriver yes(Pressing({IDYES}));
    view.DeleteSelection();
    EXPECT_EQ((Names{L"..", L"big.bin"}), Rows());
    EXPECT_FALSE(scratch.Exists(L"sub"));
    Select({L".."});
    view.DeleteSelection();
    EXPECT_EQ(1, yes.Count());
    Select({L"big.bin"});
    view.DeleteSelection();
    EXPECT_EQ(L"Are you sure you want to delete this item?", yes.LastText());
    EXPECT_FALSE(scratch.Exists(L"big.bin"));
}

TEST_F(LocalBrowseWndTest, SelectAllAndInvert) {
    view.SelectAll();
    EXPECT_EQ(4u, List().GetSelectedCount());
    Select({L"sub"});
    view.InvertSelection();
    EXPECT_EQ(3u, List().GetSelectedCount());
}
