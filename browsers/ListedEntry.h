#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/FileSize.h"

// One entry of a folder's listing, as a view keeps it until the whole listing
// is shown at once.
struct ListedEntry {
    std::wstring name;
    bool folder;
    uint64_t size;
    // Zero when the file system gave no time.
    uint64_t modified;
    // The file system gave a day without its time (a server's LIST of older files).
    bool dateOnly;
    // A link (a reparse point here, a symbolic link on an SFTP server); folder
    // tells whether it leads to a folder.
    bool link;

    static ListedEntry Of(const WIN32_FIND_DATAW& data) {
        ListedEntry entry;
        entry.name = data.cFileName;
        entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.size = FileSizeOf(data);
        entry.modified = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime;
        entry.dateOnly = false;
        entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        return entry;
    }
};
