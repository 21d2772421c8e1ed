#include "ftp/TransferTypes.h"

#include <string>

TransferItem MakeTransferItem(wchar_t type, const wchar_t* entry) {
    std::wstring text(1, type);
    text += entry;
    return TransferItem(text.c_str());
}
