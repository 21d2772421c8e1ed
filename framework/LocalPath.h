#pragma once

#include <cstddef>

#include "framework/WString.h"

// Local paths use "\" but accept "/" wherever a separator is tested for.
bool IsPathSeparator(wchar_t c);
bool EndsWithSeparator(const wchar_t* path);

// dest = directory, a "\" unless the directory already ends in a separator,
// then name. Refuses (false, dest unchanged) when the result would not fit.
bool JoinPath(wchar_t* dest, size_t capacity, const wchar_t* directory, const wchar_t* name);

// The same join without a length limit, for work lists that are not held in
// fixed buffers.
WString JoinedPath(const wchar_t* directory, const wchar_t* name);

// A transfer item: the type letter ('F' or 'D') followed by the joined path.
WString MakeEntryItem(wchar_t type, const wchar_t* directory, const wchar_t* name);

// "." and ".." are never real entries to act on; taking them would leave the
// folder being walked.
bool IsDotEntry(const wchar_t* name);

template <size_t N>
bool JoinPath(wchar_t (&dest)[N], const wchar_t* directory, const wchar_t* name) {
    return JoinPath(dest, N, directory, name);
}
