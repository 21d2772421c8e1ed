#include "ftp/RemoteTreeDelete.h"

#include "ftp/EntryName.h"

RemoteTreeDelete::RemoteTreeDelete(RemoteFS& ftp)
    : FolderWalk(ftp, items), filesNotDeleted(0), foldersNotDeleted(0) {}

RemoteTreeDelete::~RemoteTreeDelete() { ClearWalkList(items); }

void RemoteTreeDelete::Run(const wchar_t* name) {
    wchar_t start[RemoteFS::kTextCapacity];
    DWORD length = RemoteFS::kTextCapacity;
    if (!IsSafeEntryName(name, MAX_PATH) || FAILED(engine.GetCurrentDir(start, &length))) {
        ++foldersNotDeleted;
        return;
    }
    AddItem(true, name);
    Walk(start);
    if (aborted) CountRemainingAsNotDeleted();
}

// A link goes with a file's delete, which a real folder refuses. A folder
// that cannot be entered keeps its contents and counts as not deleted.
void RemoteTreeDelete::EnterFolder(Node* node) {
    const wchar_t* name = node->element->Name();
    if (SUCCEEDED(engine.DeleteRemoteFile(name))) {
        DropItem(node);
        return;
    }
    if (!EnterRemoteFolder(node, name)) {
        ++foldersNotDeleted;
        DropItem(node);
        return;
    }
    ListRemoteFolder();
}

bool RemoteTreeDelete::MayEnter(const wchar_t* name, const wchar_t* folderPath) {
    return IsChildOfCurrent(folderPath, name);
}

void RemoteTreeDelete::HandleFile(Node* node) {
    if (FAILED(engine.DeleteRemoteFile(node->element->Name()))) ++filesNotDeleted;
    DropItem(node);
}

// Not back in the parent: nowhere safe to go on from, and the rest stays.
void RemoteTreeDelete::FolderLeft(Node* node, bool returned) {
    if (!returned || !engine.RemoveRemoteDir(node->element->Name())) ++foldersNotDeleted;
    DropItem(node);
}

void RemoteTreeDelete::CountRemainingAsNotDeleted() {
    for (Node* node = items.GetHead(); node; node = node->next) {
        if (node->element->IsFolder())
            ++foldersNotDeleted;
        else
            ++filesNotDeleted;
    }
}
