#include "cestore.h"

void SetStoreInformationPath(const wchar_t*) {}

BOOL GetStoreInformation(STORE_INFORMATION* info) {
    if (info == nullptr) return FALSE;
    info->dwStoreSize = 0;
    info->dwFreeSize = 0;
    return FALSE;
}
