#pragma once

// Free and total space of the store the program saves into.
#include <windows.h>

struct STORE_INFORMATION {
    DWORD dwStoreSize;
    DWORD dwFreeSize;
};
typedef STORE_INFORMATION* LPSTORE_INFORMATION;

// Sizes of the volume holding the path last given to SetStoreInformationPath
// (the current directory's volume until then). Sizes of 4 GiB or more read
// as 0xFFFFFFFF.
BOOL GetStoreInformation(STORE_INFORMATION* info);

// The handheld call takes no path; the local view names the folder it shows.
// A null or empty path returns to the current directory's volume.
void SetStoreInformationPath(const wchar_t* path);
