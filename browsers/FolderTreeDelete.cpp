#include "browsers/FolderTreeDelete.h"

#include <windows.h>

#include "framework/LocalPath.h"
#include "framework/PtrList.h"
#include "framework/WString.h"

namespace {

// Entry kinds in the work list: a file, a folder to empty and remove, and a
// link (reparse point) that is removed itself and never entered.
const wchar_t kFile = L'F';
const wchar_t kFolder = L'D';
const wchar_t kLink = L'L';

using WorkList = PtrList<WString*>;

wchar_t KindOf(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return kLink;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolder : kFile;
}

const wchar_t* PathOf(const WString* item) { return item->GetText() + 1; }

void DeleteLink(const wchar_t* path) {
    if (!RemoveDirectoryW(path)) DeleteFileW(path);
}

void ListFolder(const wchar_t* folder, WorkList& work) {
    WString pattern = JoinedPath(folder, L"*.*");
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.GetText(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        WString item = MakeEntryItem(KindOf(data.dwFileAttributes), folder, data.cFileName);
        work.AddTail(new WString(item));
    } while (FindNextFileW(search, &data));
    FindClose(search);
}

void DropTail(WorkList& work) { delete work.RemoveTail(); }

// Takes the last work entry one step further; returns when it has been
// listed, deleted or found finished.
void WorkOnTail(WorkList& work, PtrList<WorkList::Node*>& listed) {
    WorkList::Node* entry = work.GetTail();
    const wchar_t* path = PathOf(entry->element);
    wchar_t kind = entry->element->GetText()[0];
    if (!listed.IsEmpty() && listed.GetTail()->element == entry) {
        RemoveDirectoryW(path);
        DropTail(work);
        listed.RemoveTail();
    } else if (kind == kFile) {
        DeleteFileW(path);
        DropTail(work);
    } else if (kind == kLink) {
        DeleteLink(path);
        DropTail(work);
    } else {
        listed.AddTail(entry);
        ListFolder(path, work);
    }
}

}  // namespace

void DeleteFolderTree(const wchar_t* directory, const wchar_t* name) {
    if (IsDotEntry(name)) return;
    WString top = MakeEntryItem(kFolder, directory, name);
    DWORD attributes = GetFileAttributesW(PathOf(&top));
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (KindOf(attributes) == kLink) return DeleteLink(PathOf(&top));
    if (KindOf(attributes) != kFolder) return;
    WorkList work;
    PtrList<WorkList::Node*> listed;
    work.AddTail(new WString(top));
    while (!work.IsEmpty()) WorkOnTail(work, listed);
}
