#include "ssh/SftpStatus.h"

std::string SftpStatusText(uint32_t code) {
    static const char* const kTexts[] = {
        "done",                              // SSH_FX_OK
        "end of file",                       // SSH_FX_EOF
        "no such file or folder",            // SSH_FX_NO_SUCH_FILE
        "permission denied",                 // SSH_FX_PERMISSION_DENIED
        "the server failed",                 // SSH_FX_FAILURE
        "the request was malformed",         // SSH_FX_BAD_MESSAGE
        "no connection",                     // SSH_FX_NO_CONNECTION
        "the connection was lost",           // SSH_FX_CONNECTION_LOST
        "the server does not support this",  // SSH_FX_OP_UNSUPPORTED
        "invalid handle",                    // SSH_FX_INVALID_HANDLE
        "no such path",                      // SSH_FX_NO_SUCH_PATH
        "the name already exists",           // SSH_FX_FILE_ALREADY_EXISTS
        "the medium is write-protected",     // SSH_FX_WRITE_PROTECT
        "no medium",                         // SSH_FX_NO_MEDIA
    };
    if (code < sizeof kTexts / sizeof kTexts[0]) return kTexts[code];
    return "the server failed (status " + std::to_string(code) + ")";
}
