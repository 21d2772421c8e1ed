#pragma once

#include <string>

// Text on the wire is UTF-8; servers that predate it send bytes of a legacy
// code page, which are shown as Latin-1 so that no name is lost.
std::wstring DecodeServerText(const std::string& bytes);

// Encodes text for the control connection.
std::string EncodeServerText(const std::wstring& text);
