#pragma once

#include "ftp/FolderWalk.h"

// Deletes one remote folder with everything below it through the folder walk:
// each folder's entries first, then the folder itself from its parent.
// Failures are counted, never stop the walk; when the walk cannot go on
// (a parent it cannot return to) what is left counts as not deleted. A link
// to a folder is never entered, even where the listing calls it a folder: it
// is deleted as a link, or, when the path the server reports inside shows
// that it leads elsewhere, left and counted as not deleted.
class RemoteTreeDelete : public FolderWalk {
  public:
    explicit RemoteTreeDelete(RemoteFS& engine);
    ~RemoteTreeDelete() override;

    void Run(const wchar_t* name);
    DWORD FilesNotDeleted() const { return filesNotDeleted; }
    DWORD FoldersNotDeleted() const { return foldersNotDeleted; }

  protected:
    void EnterFolder(Node* node) override;
    void HandleFile(Node* node) override;
    void FolderLeft(Node* node, bool returned) override;
    bool MayEnter(const wchar_t* name, const wchar_t* folderPath) override;

  private:
    void CountRemainingAsNotDeleted();

    WalkList items;
    DWORD filesNotDeleted;
    DWORD foldersNotDeleted;
};
