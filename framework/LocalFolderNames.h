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
    // The path to make a file of that name by, where plainPath is its usual
    // path. For a name the folder does not hold, under Wine, that is the path in
    // Wine's Unix namespace, which Wine takes as it is: by the usual path it
    // would read the whole folder to rule out a name differing only in letter
    // case, which these names already did. Otherwise plainPath.
    std::wstring PathToMake(const std::wstring& name, const wchar_t* plainPath) const;
    void Add(const std::wstring& name);
    void Remove(const std::wstring& name);

  private:
    static std::wstring Folded(const std::wstring& name);

    std::unordered_set<std::wstring> names;
    std::wstring unixFolder;  // the folder in Wine's Unix namespace; empty when unknown
};
