#pragma once

#include <string>

bool HasWildcard(const std::wstring& pattern);

// "*" matches any run of characters, "?" any one; letters match exactly, as
// FTP servers compare names.
bool MatchesWildcard(const std::wstring& pattern, const std::wstring& name);
