#include "ftp/RemoteTreeDelete.h"

#include "framework/TextUtil.h"
#include "ftp/EntryName.h"

namespace {
const wchar_t* NameOf(const TransferItem* item) { return item->GetText() + 1; }
bool IsFolder(const TransferItem* item) { return item->GetText()[0] == L'D'; }

TransferItem* MakeItem(wchar_t type, const wchar_t* name) {
    return new TransferItem(MakeTransferItem(type, name));
}
}  // namespace

RemoteTreeDelete::RemoteTreeDelete(FtpFS& ftp)
    : engine(ftp), currentPath(), lost(false), filesNotDeleted(0), foldersNotDeleted(0) {}

RemoteTreeDelete::~RemoteTreeDelete() {
    ClearTransferList(work);
    while (!marks.IsEmpty()) delete marks.RemoveTail();
}

void RemoteTreeDelete::Run(const wchar_t* name) {
    if (!IsSafeEntryName(name, MAX_PATH) || !ReadCurrentDir(currentPath)) {
        ++foldersNotDeleted;
        return;
    }
    work.AddTail(MakeItem(L'D', name));
    while (!work.IsEmpty() && !lost) {
        TransferList::Node* node = work.GetTail();
        if (!marks.IsEmpty() && marks.GetTail()->element->item == node)
            LeaveFolder(node);
        else if (IsFolder(node->element))
            EnterFolder(node);
        else
            DeleteFile(node);
    }
    if (lost) CountRemainingAsNotDeleted();
}

// Back to the parent by its absolute path rather than "..": a link or an odd
// server cannot move the walk anywhere else.
void RemoteTreeDelete::LeaveFolder(TransferList::Node* node) {
    FolderMark* mark = marks.RemoveTail();
    bool returned = SUCCEEDED(engine.SetCurrentDir(mark->parentPath.GetText()));
    if (returned) CopyText(currentPath, mark->parentPath.GetText());
    delete mark;
    if (!returned) {
        // Nowhere safe to go on from: the rest stays and is counted.
        lost = true;
        ++foldersNotDeleted;
    } else if (!engine.RemoveRemoteDir(NameOf(node->element))) {
        ++foldersNotDeleted;
    }
    RemoveItem(node);
}

// A folder that cannot be entered keeps its contents and counts as not deleted.
void RemoteTreeDelete::EnterFolder(TransferList::Node* node) {
    if (FAILED(engine.SetCurrentDir(NameOf(node->element)))) {
        ++foldersNotDeleted;
        RemoveItem(node);
        return;
    }
    wchar_t folderPath[FtpFS::kTextCapacity];
    if (!ReadCurrentDir(folderPath)) {
        // Without its path the folder could not be left safely: step back now.
        ++foldersNotDeleted;
        RemoveItem(node);
        if (FAILED(engine.SetCurrentDir(currentPath))) lost = true;
        return;
    }
    marks.AddTail(new FolderMark{node, currentPath});
    CopyText(currentPath, folderPath);
    ListIntoWork();
}

void RemoteTreeDelete::DeleteFile(TransferList::Node* node) {
    if (FAILED(engine.DeleteRemoteFile(NameOf(node->element)))) ++filesNotDeleted;
    RemoveItem(node);
}

void RemoteTreeDelete::ListIntoWork() {
    WIN32_FIND_DATAW data;
    if (FAILED(engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE))) return;
    do {
        bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        work.AddTail(MakeItem(folder ? L'D' : L'F', data.cFileName));
    } while (SUCCEEDED(engine.FindNext(&data)));
}

void RemoteTreeDelete::CountRemainingAsNotDeleted() {
    for (TransferList::Node* node = work.GetHead(); node; node = node->next) {
        if (IsFolder(node->element))
            ++foldersNotDeleted;
        else
            ++filesNotDeleted;
    }
}

void RemoteTreeDelete::RemoveItem(TransferList::Node* node) {
    delete node->element;
    work.RemoveNode(node);
}

bool RemoteTreeDelete::ReadCurrentDir(wchar_t (&path)[FtpFS::kTextCapacity]) {
    DWORD length = FtpFS::kTextCapacity;
    return SUCCEEDED(engine.GetCurrentDir(path, &length));
}
