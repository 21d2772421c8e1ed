#pragma once

#include <string>

// Text on the wire is UTF-8; servers that predate it send bytes of a legacy
// code page, which are shown as Latin-1 so that no name is lost. `legacy`
// tells which of the two it was.
std::wstring DecodeServerText(const std::string& bytes, bool* legacy = nullptr);

// The bytes of text that was decoded as Latin-1.
std::string EncodeLatin1(const std::wstring& text);

// Encodes text for the control connection.
std::string EncodeServerText(const std::wstring& text);
