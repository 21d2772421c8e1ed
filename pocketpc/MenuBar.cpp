#include "aygshell.h"

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (info == nullptr) return FALSE;
    info->hwndMB = nullptr;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
