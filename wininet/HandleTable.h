#pragma once

#include <memory>
#include <vector>

#include "wininet/InternetHandle.h"

// The live handles. A handle value is a number that is never reused, so a
// stale or forged value is refused instead of reaching freed memory. Callers
// hold a shared reference while they work, so a close on another thread
// never frees what a blocked call still uses.
namespace HandleTable {

// Null when the parent was closed meanwhile: the new handle is then the caller's to close.
HINTERNET Add(const std::shared_ptr<InternetHandle>& handle);

// Fails with ERROR_INVALID_HANDLE or ERROR_INTERNET_INCORRECT_HANDLE_TYPE.
std::shared_ptr<InternetHandle> Find(HINTERNET value, DWORD type, DWORD& error);

// Any handle, whatever its type; null for a value that is no open handle.
std::shared_ptr<InternetHandle> FindAny(HINTERNET value);

template <typename T>
std::shared_ptr<T> FindAs(HINTERNET value, DWORD type, DWORD& error) {
    return std::static_pointer_cast<T>(Find(value, type, error));
}

// Takes the handle and all its descendants out of the table, children first.
std::vector<std::shared_ptr<InternetHandle>> Remove(HINTERNET value);

}  // namespace HandleTable
