#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Walks one local directory at a time and keeps the view's current path.
// Paths are absolute, start at the root "\" (of the current drive) or at a
// drive's root ("C:\") and never end in a separator except a root itself.
// Above the roots is the list of drives, whose path is empty and whose
// entries are the drives as folders ("C:", "D:", ...).
class LocalDirEnum {
  public:
    static const size_t kPathCapacity = 512;

    LocalDirEnum();
    virtual ~LocalDirEnum();

    const wchar_t* GetPath() const { return path; }
    bool IsDriveList() const { return path[0] == L'\0'; }

    // Starts listing (the current path when pattern is null). 0 or E_FAIL.
    HRESULT FindFirst(WIN32_FIND_DATAW* data, const wchar_t* pattern);
    // 0, or E_FAIL when the listing has ended (the search is then closed).
    HRESULT FindNext(WIN32_FIND_DATAW* data);

    // ".." goes up one level (from a root to the drives), a name starting with
    // a separator or a drive ("C:") replaces the path, an empty name means the
    // drives, any other name is appended. A result that would not fit leaves
    // the path unchanged and returns E_FAIL.
    HRESULT ChangeDirectory(const wchar_t* name);

  private:
    void CloseSearch();
    void GoToParent();
    HRESULT NextDrive(WIN32_FIND_DATAW* data);

    wchar_t path[kPathCapacity];
    HANDLE search;
    // The drive list's roots ("C:\", "D:\", ...) not listed yet.
    std::vector<std::wstring> drives;
};
