#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "browsers/ListedEntry.h"
#include "framework/BaseWnd.h"
#include "framework/ComboBoxCtl.h"
#include "framework/ImageListObj.h"
#include "framework/ListViewCtl.h"
#include "framework/PtrList.h"
#include "framework/WString.h"
#include "transfer_ui/DownloadProgressDlg.h"
#include "transfer_ui/UploadProgressDlg.h"

class FrameWnd;

// A view of one file system inside the frame: the path box with the recently
// visited folders above the Name/Size/Type list. Everything that touches a
// file system is left to the derived views.
class BrowseWnd : public BaseWnd {
  public:
    static const size_t kNameCapacity = 512;
    static const int kFolderImage = 0;
    static const int kFileImage = 1;

    BrowseWnd();
    ~BrowseWnd() override;

    static bool RegisterWindowClass(HINSTANCE instance);

    virtual bool CreateBrowser(const wchar_t* windowName, DWORD style, int x, int y, int width,
                               int height, BaseWnd* parent);

    // File-system operations of the derived views.
    virtual int RenameItem(const wchar_t* oldName, const wchar_t* newName);
    // Returns the new row, -1 on failure, another negative value when there is
    // nothing to report now (cancelled, or the view reports the result itself).
    virtual int CreateFolder(wchar_t* name);
    virtual void Refresh();
    // Null while the view does not know its folder.
    virtual const wchar_t* GetCurrentPath();
    virtual void OpenFolder(const wchar_t* name);
    virtual void DeleteFileItem(const wchar_t* name);
    virtual void DeleteFolderItem(const wchar_t* name);
    virtual HMENU GetContextMenu();
    virtual void OnContextCommand(LPARAM lParam, WORD code, WORD id);
    virtual void SetCurrentPath(const wchar_t* path);
    virtual void UpdateMenuItems(HMENU menu, WORD buttonId, WORD high);
    // The name the frame shows for this view in its title and menus, and the
    // server and login the progress panels show.
    virtual const wchar_t* GetSessionName();
    virtual const wchar_t* GetHost();
    virtual const wchar_t* GetUser();
    // How the frame's title tells a protected connection from a plain one; empty for local views.
    virtual const wchar_t* GetProtectionNote() { return L""; }
    // False while the view's connection is busy (a transfer or a request):
    // its commands are greyed or left alone then, and it takes no upload.
    virtual bool IsIdle();
    // Gives up what the view waits for (Esc): the view stays as it was.
    virtual void AbandonRequest() {}
    // What the view is busy with, as its status line shows it; empty when idle.
    const std::wstring& GetBusyStatus() const { return busyStatus; }
    // What the status line shows: what the view waits for, else a note, else nothing.
    const std::wstring& GetStatusText() const;
    virtual void StartUpload(PtrList<WString*>& items);

    // Replaces the rows by the parent entry on top and the entries below it,
    // the last listed first, as if each had been inserted at the top in turn;
    // ids follow the listing's order. The list paints once, when all are in.
    // A list of places rather than a folder (the drives) has no parent entry.
    void ShowListing(std::vector<ListedEntry> entries, bool withParent = true);
    int AddFolderItem(const wchar_t* name);
    void UpdatePathHistory();

    // A transfer's panel takes the place of the path box and the list while it is shown.
    void ShowDownloadPanel(bool show);
    void ShowUploadPanel(bool show);
    DownloadProgressDlg& GetDownloadPanel() { return downloadPanel; }
    UploadProgressDlg& GetUploadPanel() { return uploadPanel; }

    void SelectAll();
    void InvertSelection();
    void BeginRename();
    void DeleteSelection();

    ListViewCtl& GetFileList() { return fileList; }
    ComboBoxCtl& GetPathBox() { return pathBox; }

  protected:
    // A selected entry, as a delete takes it.
    struct SelectedEntry {
        std::wstring name;
        bool folder;
    };

    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;
    // A request of the view ended (WM_APP_REQUEST_DONE); wParam its number.
    virtual void OnRequestDone(WPARAM) {}
    // Deletes the entries the user confirmed, then lists the folder again.
    virtual void DeleteEntries(const std::vector<SelectedEntry>& entries);
    // Shows the status line above the list, and the wait cursor over both,
    // while the text is not empty.
    void ShowBusy(const std::wstring& status);
    // Something the user should know once, shown in the status line while the
    // view is idle, until its next request.
    void ShowNote(const std::wstring& text);
    // Selects the new folder's row and, unless it was named already, starts
    // the edit of its name; -1 tells the failure.
    void ReportNewFolder(int result);

    // Reads a row's name (up to kNameCapacity characters) and image index.
    bool GetRowEntry(int row, wchar_t* name, int* image);
    bool IsParentRow(int row);
    // The row of exactly that name (the list's own search ignores case), -1 when none.
    int FindRow(const wchar_t* name, int* image);
    void RenameRow(int row, const wchar_t* name);
    int CountSelectedEntries();
    // The selected entries as transfer items, the parent entry left out: names
    // alone, or joined to the folder when one is given.
    void CollectSelection(PtrList<WString*>& items, const wchar_t* folder);
    // The frame that holds this view; null for a view outside one.
    FrameWnd* GetFrame();
    HMENU GetPendingContextPopup() const { return pendingContextPopup; }
    // False where the rows are places rather than a folder's entries (the
    // drives): nothing there is renamed, deleted, made or uploaded.
    virtual bool ListsFolderContents() { return true; }
    // False for a view that asked for the name before creating the folder.
    virtual bool EditsNewFolderName() { return true; }
    // Enables or greys the commands of the frame's menus that act on the view.
    static void SetViewCommandsState(HMENU menu, WORD buttonId, UINT state);

  private:
    void BuildChildren();
    void LayOutChildren();
    LRESULT OnNotify(const NMHDR* header);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void ShowContextMenu(POINT screenPoint);
    void SortByColumn(int column);
    // Puts the rows in that order (old row indices); selection and focus stay with their rows.
    void ReorderRows(const std::vector<size_t>& order);
    void OpenSelectedFolder();
    void OpenFocusedFolder();
    void OnListKey(WORD key);
    struct Row;
    // Null for an index outside the rows.
    Row* RowAt(int row);
    void WriteRowCell(NMLVDISPINFOW* info);
    int FindTypedRow(const NMLVFINDITEMW* find);
    void FinishRename(const NMLVDISPINFOW* info);
    void ChoosePathFromHistory();
    bool SetBusyCursor(HWND over);
    void ShowPanel(ProgressPanel& panel, int resourceId, bool show);

    void ShowStatusLine();

    ImageListObj imageList;
    ListViewCtl fileList;
    ComboBoxCtl pathBox;
    HWND statusLine;
    std::wstring busyStatus;
    std::wstring note;
    DownloadProgressDlg downloadPanel;
    UploadProgressDlg uploadPanel;
    HMENU pendingContextPopup;
    uint32_t nextItemId;
    int sortColumn;
    bool sortDescending;
    // The rows shown, in the list's order: the list keeps none of them itself
    // (it asks for what it paints), which holds a large folder in a fraction
    // of the memory. Id 0 is the parent entry; the listed entries' ids follow
    // the listing's order, folders made here take the next ones.
    struct Row {
        ListedEntry entry;
        uint32_t id;
    };
    std::vector<Row> rows;
};
