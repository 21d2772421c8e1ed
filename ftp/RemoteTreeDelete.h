#pragma once

#include "framework/WString.h"
#include "ftp/FtpFS.h"

// Deletes one remote folder with everything below it, depth first, working its
// list from the tail. Failures are counted, never stop the walk. The walk only
// enters folders named in listings and returns to each parent by its absolute
// path, so it never acts outside the folder it was asked to delete.
class RemoteTreeDelete {
  public:
    explicit RemoteTreeDelete(FtpFS& engine);
    ~RemoteTreeDelete();

    void Run(const wchar_t* name);
    DWORD FilesNotDeleted() const { return filesNotDeleted; }
    DWORD FoldersNotDeleted() const { return foldersNotDeleted; }

  private:
    struct FolderMark {
        TransferList::Node* item;
        WString parentPath;
    };

    void LeaveFolder(TransferList::Node* node);
    void EnterFolder(TransferList::Node* node);
    void DeleteFile(TransferList::Node* node);
    void ListIntoWork();
    void CountRemainingAsNotDeleted();
    void RemoveItem(TransferList::Node* node);
    bool ReadCurrentDir(wchar_t (&path)[FtpFS::kTextCapacity]);

    FtpFS& engine;
    TransferList work;
    PtrList<FolderMark*> marks;
    wchar_t currentPath[FtpFS::kTextCapacity];
    bool lost;
    DWORD filesNotDeleted;
    DWORD foldersNotDeleted;
};
