#pragma once

#include <windows.h>

#include "resources/AppMessages.h"

#include "framework/PtrList.h"
#include "framework/WString.h"

// "F" (file) or "D" (folder) followed at once by the entry: a name relative to
// the remote current directory, or a full local path for uploads.
using TransferItem = WString;
using TransferList = PtrList<TransferItem*>;

// The item for an entry: its type letter followed at once by its name or path.
TransferItem MakeTransferItem(wchar_t type, const wchar_t* entry);

// What a run could not do, shown by the panel at its end: the files and
// folders that failed, and whether the run itself failed (the connection was lost).
struct FailureCounts {
    DWORD files;
    DWORD folders;
    DWORD runFailed;
};

// The most connections one run may use at once, the walk's own included.
const DWORD kMaxTransferConnections = 10;

// One connection of a run, for the panel's line per connection: the file it
// moves now (empty while it waits for one) and how far that file is.
struct ConnectionFigures {
    wchar_t file[MAX_PATH];
    ULONGLONG fileBytes;
    ULONGLONG fileSize;
};

// What the walk has found so far, for the bar of the whole run: the total
// still grows while folders are being listed.
struct RunTotals {
    DWORD filesFound;
    ULONGLONG bytesFound;
    DWORD stillListing;
    DWORD connections;  // how many of the lines below are in use
    ConnectionFigures lines[kMaxTransferConnections];
};

// Handed by pointer to the download panel. Bytes count in 64 bits: files and
// runs of 4 GiB and more are common.
struct DownloadCounters {
    DWORD filesDone;
    DWORD foldersEntered;
    ULONGLONG totalBytes;
    ULONGLONG currentFileSize;
    ULONGLONG currentFileBytes;
    DWORD elapsedMs;
    FailureCounts failures;
    RunTotals run;
};

// The same for the upload panel; the order differs on purpose.
struct UploadCounters {
    DWORD filesDone;
    ULONGLONG totalBytes;
    ULONGLONG currentFileSize;
    ULONGLONG currentFileBytes;
    DWORD elapsedMs;
    DWORD foldersCreated;
    FailureCounts failures;
    RunTotals run;
};

// One connect status, valid only while the message carrying it is handled.
struct StatusReport {
    DWORD statusCode;
    LPVOID information;
    DWORD informationLength;
};

// Frees every item and empties the list.
inline void ClearTransferList(TransferList& list) {
    while (!list.IsEmpty()) delete list.RemoveTail();
}
