#pragma once

#include <windows.h>

// Walks one local directory at a time and keeps the view's current path.
// Paths are absolute, start at the root "\" and never end in a separator
// except the root itself.
class LocalDirEnum {
  public:
    static const size_t kPathCapacity = 512;

    LocalDirEnum();
    virtual ~LocalDirEnum();

    const wchar_t* GetPath() const { return path; }

    // Starts listing (the current path when pattern is null). 0 or E_FAIL.
    HRESULT FindFirst(WIN32_FIND_DATAW* data, const wchar_t* pattern);
    // 0, or E_FAIL when the listing has ended (the search is then closed).
    HRESULT FindNext(WIN32_FIND_DATAW* data);

    // ".." goes up one level, a name starting with a separator replaces the
    // path, any other name is appended. A result that would not fit leaves
    // the path unchanged and returns E_FAIL.
    HRESULT ChangeDirectory(const wchar_t* name);

  private:
    void CloseSearch();
    void GoToParent();

    wchar_t path[kPathCapacity];
    HANDLE search;
};
