#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <string>

#include "ftp/FileTimes.h"

// A file the walk has decided about (the existing-file rule, the transfer
// type) and hands to another connection of its run: everything that
// connection needs, and nothing of the walk's own state, which moves on.
struct FileJob {
    FileJob() = default;
    ~FileJob() {
        if (localFile) fclose(localFile);
    }
    FileJob(const FileJob&) = delete;
    FileJob& operator=(const FileJob&) = delete;

    std::wstring remoteFolder;  // absolute, as the server's PWD gave it
    std::wstring remoteName;
    std::wstring localPath;  // the download's target, the upload's source
    ULONGLONG size = 0;
    DWORD transferFlags = FTP_TRANSFER_TYPE_BINARY;
    // Goes on from the part file (download) or the server's copy (upload).
    bool resume = false;
    // How often a connection was lost under it; it is taken up where it stopped.
    unsigned interruptions = 0;
    // As for the walk's own items: the copy to resume from is this run's.
    bool continuable = false;
    // The time the copy gets once it is whole; 0: none. A download asks the
    // server for an exact one with its open (askTime), which then replaces it.
    FileStamp keepTime = 0;
    bool askTime = false;
    // Download: the path to make a new part file by, and the target's path
    // and flags for the part's move (replacing only a target known to be there).
    std::wstring partCreatePath;
    std::wstring moveTarget;
    DWORD moveFlags = 0;
    // Upload: the size the folder's listing gave the server's copy, if any,
    // and the source as the walk opened it (the first try uses it; later
    // tries open it again).
    ULONGLONG listedSize = 0;
    FILE* localFile = nullptr;
    // Why the last try failed (the server's reply; empty for a local failure).
    std::wstring reason;
};
