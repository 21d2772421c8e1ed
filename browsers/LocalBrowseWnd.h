#pragma once

#include "browsers/BrowseWnd.h"
#include "browsers/LocalDirEnum.h"

class FrameWnd;

// The view of the device's own file system. Its current folder is also where
// downloads go and where uploads are taken from.
class LocalBrowseWnd : public BrowseWnd {
  public:
    LocalBrowseWnd();
    ~LocalBrowseWnd() override;

    int RenameItem(const wchar_t* oldName, const wchar_t* newName) override;
    int CreateFolder(wchar_t* name) override;
    void Refresh() override;
    const wchar_t* GetCurrentPath() override;
    void OpenFolder(const wchar_t* name) override;
    void DeleteFileItem(const wchar_t* name) override;
    void DeleteFolderItem(const wchar_t* name) override;
    HMENU GetContextMenu() override;
    void OnContextCommand(LPARAM lParam, WORD code, WORD id) override;
    void SetCurrentPath(const wchar_t* path) override;

    // The view stored with that command in the shown menu's Upload To list.
    BrowseWnd* GetUploadTarget(WORD id);

  protected:
    bool ListsFolderContents() override { return !directory.IsDriveList(); }

  private:
    void ShowError(const wchar_t* text);
    bool ChangeDirectory(const wchar_t* name);
    void FillUploadMenu(HMENU popup);
    void UploadSelection(BrowseWnd* target);

    LocalDirEnum directory;
    HMENU contextMenus;
};
