#pragma once

#include <string>
#include <vector>

// A real, uniquely named folder for one test under the current directory, so
// that it can also be named without its drive letter, as the local view names
// paths. Removed with its contents.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();

    const std::wstring& Path() const { return path; }
    std::wstring RootedPath() const { return path.substr(2); }
    std::wstring Join(const std::wstring& relative) const { return path + L"\\" + relative; }

    void MakeFolder(const std::wstring& relative) const;
    // Creates missing parent folders too.
    void MakeFile(const std::wstring& relative, const std::string& content = "x") const;
    bool Exists(const std::wstring& relative) const;

  private:
    std::wstring path;
};

std::string ReadBytes(const std::wstring& path);
// Creates missing parent folders too.
void WriteBytes(const std::wstring& path, const std::string& bytes);
// Every file below the folder, relative to it, sorted.
std::vector<std::wstring> FilesBelow(const std::wstring& folder);
