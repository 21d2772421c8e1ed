#pragma once

#include <cstdint>
#include <string>

// A plain English reason for an SFTP status code (SSH_FX_*), the same whichever server
// sent it, for messages shown to the user.
std::string SftpStatusText(uint32_t code);
