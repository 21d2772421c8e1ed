#pragma once

#include <string>
#include <unordered_set>

// The names one local folder holds, read once. A walk that writes many files
// into a folder asks this instead of the disk: under Wine every lookup of a
// name that does not exist reads the whole folder, so a check per file would
// make a folder's download cost grow with the square of its size. Names
// compare without regard to letter case, as the file system does.
class LocalFolderNames {
  public:
    // Reads the folder's entries; a folder that cannot be read holds nothing.
    void Read(const wchar_t* folder);
    bool Holds(const std::wstring& name) const;
    void Add(const std::wstring& name);
    void Remove(const std::wstring& name);

  private:
    static std::wstring Folded(const std::wstring& name);

    std::unordered_set<std::wstring> names;
};
