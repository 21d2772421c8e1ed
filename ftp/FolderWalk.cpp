#include "ftp/FolderWalk.h"

#include <cwchar>
#include <string>

#include "framework/FileSize.h"
#include "framework/TextUtil.h"

FolderWalk::FolderWalk(RemoteFS& ftp, WalkList& list)
    : engine(ftp), work(list), aborted(false), reconnected(false), startPath(), currentPath() {}

FolderWalk::~FolderWalk() {
    while (!marks.IsEmpty()) delete marks.RemoveTail();
}

void FolderWalk::Walk(const wchar_t* start) {
    CopyText(startPath, start);
    CopyText(currentPath, start);
    while (!Stopped()) {
        reconnected = false;
        BetweenSteps();
        if (Stopped()) return;
        Node* node = work.IsEmpty() ? nullptr : work.GetTail();
        bool leaving = node && !marks.IsEmpty() && marks.GetTail()->element->item == node;
        bool file = node && !leaving && !node->element->IsFolder();
        if (!file && SettleHeldWork()) continue;
        if (!node) return;
        if (leaving)
            FolderLeft(node, LeaveRemoteFolder());
        else if (file)
            HandleFile(node);
        else
            EnterFolder(node);
    }
}

// Only an abort, or a parent that could not be reached, leaves the walk elsewhere.
void FolderWalk::ReturnToStart() {
    bool inside = !marks.IsEmpty() || wcscmp(currentPath, startPath) != 0;
    while (!marks.IsEmpty()) delete marks.RemoveTail();
    if (inside && SUCCEEDED(engine.SetCurrentDir(startPath))) CopyText(currentPath, startPath);
}

bool FolderWalk::EnterRemoteFolder(Node* node, const wchar_t* name) {
    // Without the parent's path the folder could not be left safely.
    if (!currentPath[0] || !ChangeRemoteFolder(name)) return false;
    wchar_t folderPath[RemoteFS::kTextCapacity];
    DWORD length = RemoteFS::kTextCapacity;
    if (FAILED(engine.GetCurrentDir(folderPath, &length)) || !MayEnter(name, folderPath)) {
        if (FAILED(engine.SetCurrentDir(currentPath))) aborted = true;
        return false;
    }
    marks.AddTail(new FolderMark{node, currentPath});
    CopyText(currentPath, folderPath);
    return true;
}

bool FolderWalk::LeaveRemoteFolder() {
    FolderMark* mark = marks.RemoveTail();
    bool returned = ChangeRemoteFolder(mark->parentPath.GetText());
    if (returned)
        CopyText(currentPath, mark->parentPath.GetText());
    else
        aborted = true;  // nowhere known to go on from
    delete mark;
    return returned;
}

bool FolderWalk::ChangeRemoteFolder(const wchar_t* path) {
    if (SUCCEEDED(engine.SetCurrentDir(path))) return true;
    if (!RemoteFS::IsConnectionLost(GetLastError()) || !RecoverConnection()) return false;
    reconnected = true;
    return SUCCEEDED(engine.SetCurrentDir(path));
}

bool FolderWalk::ListRemoteFolder() {
    WIN32_FIND_DATAW data;
    if (FAILED(engine.FindFirst(&data))) return GetLastError() == ERROR_NO_MORE_FILES;
    do {
        bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        ULONGLONG size = FileSizeOf(data);
        AddItem(folder, data.cFileName, size, true, engine.ListedTime(data));
        EntryListed(folder, size);
    } while (!Stopped() && SUCCEEDED(engine.FindNext(&data)));
    engine.FindClose();
    return true;
}

bool FolderWalk::IsChildOfCurrent(const wchar_t* folderPath, const wchar_t* name) const {
    std::wstring expected(currentPath);
    if (expected.empty() || expected.back() != L'/') expected += L'/';
    expected += name;
    std::wstring path(folderPath);
    if (path.size() > 1 && path.back() == L'/') path.pop_back();
    return path == expected;
}

bool FolderWalk::IsOnWalkPath(const wchar_t* folderPath) const {
    if (wcscmp(folderPath, currentPath) == 0) return true;
    for (PtrList<FolderMark*>::Node* mark = marks.GetHead(); mark; mark = mark->next)
        if (wcscmp(folderPath, mark->element->parentPath.GetText()) == 0) return true;
    return false;
}

void FolderWalk::AddItem(bool folder, const wchar_t* text, ULONGLONG size, bool sized,
                         KnownTime time) {
    work.AddTail(new WalkItem{MakeTransferItem(folder ? L'D' : L'F', text), size, sized});
    work.GetTail()->element->time = time;
}

void FolderWalk::DropItem(Node* node) {
    delete node->element;
    work.RemoveNode(node);
}
