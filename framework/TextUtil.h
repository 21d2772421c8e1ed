#pragma once

#include <cstddef>

// Bounded copies into fixed wide-character buffers. Text that does not fit is
// either refused (paths: a cut path could name another, valid entry) or cut
// (display and option texts, where the first characters are what counts).

// Copies source into dest when it fits with its terminator; otherwise leaves
// dest unchanged and returns false. A null source counts as empty text.
bool CopyText(wchar_t* dest, size_t capacity, const wchar_t* source);

// Appends source to the text in dest when the whole result fits; otherwise
// leaves dest unchanged and returns false.
bool AppendText(wchar_t* dest, size_t capacity, const wchar_t* source);

// Copies at most capacity - 1 characters of source and terminates dest.
void CopyTextCut(wchar_t* dest, size_t capacity, const wchar_t* source);

// Copies source whole when it fits; otherwise its first capacity - 2
// characters and an ellipsis, so that a shortened name is seen to be one.
void CopyTextEllipsis(wchar_t* dest, size_t capacity, const wchar_t* source);

template <size_t N>
bool CopyText(wchar_t (&dest)[N], const wchar_t* source) {
    return CopyText(dest, N, source);
}

template <size_t N>
bool AppendText(wchar_t (&dest)[N], const wchar_t* source) {
    return AppendText(dest, N, source);
}

template <size_t N>
void CopyTextCut(wchar_t (&dest)[N], const wchar_t* source) {
    CopyTextCut(dest, N, source);
}

template <size_t N>
void CopyTextEllipsis(wchar_t (&dest)[N], const wchar_t* source) {
    CopyTextEllipsis(dest, N, source);
}
