#pragma once

#include <windows.h>

#include "framework/PtrList.h"
#include "ftp/FileTimes.h"
#include "ftp/TransferTypes.h"

// One entry of a walk's work list: the transfer item ("F" or "D" and a remote
// name or a local path) and, when the listing that found it gave one, its size,
// so that no file costs a listing of its own.
struct WalkItem {
    TransferItem text;
    ULONGLONG size;
    bool sized;
    // How often the connection dropped while this item was under way; such an
    // item is taken up again where it stopped, without a question.
    unsigned interruptions = 0;
    // The part file or the server's copy holds this run's start of the file
    // (its transfer began, or the user chose to resume): only then is a cut
    // file taken up where it stopped; an older copy would corrupt it.
    bool continuable = false;
    // The source's modification time, when known: what the copy gets, and
    // what the "if newer" rule compares.
    KnownTime time{};

    bool IsFolder() const { return text.GetText()[0] == L'D'; }
    const wchar_t* Name() const { return text.GetText() + 1; }
};

using WalkList = PtrList<WalkItem*>;

// Frees every item and empties the list.
inline void ClearWalkList(WalkList& list) {
    while (!list.IsEmpty()) delete list.RemoveTail();
}
