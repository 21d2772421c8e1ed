// What a transfer type code of the options means to the FTP layer.
#include <windows.h>
#include <wininet.h>

#include "settings/FtpOptions.h"

DWORD TransferRules::FlagsOf(DWORD typeCode) {
    if (typeCode == transferAscii) return FTP_TRANSFER_TYPE_ASCII;
    if (typeCode == transferBinary) return FTP_TRANSFER_TYPE_BINARY;
    return 0xFFFFFFFF;
}
