#pragma once

#include <string>

// A real, uniquely named folder for one test, under the current directory (so
// it lives on the current drive and can also be named without its drive
// letter, the way the local view names paths). Removed with its contents.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path; }
    // The path without its drive letter: "\work\...\scratch-1".
    std::wstring RootedPath() const;
    std::wstring Join(const std::wstring& relative) const;

    void MakeFolder(const std::wstring& relative) const;
    void MakeFile(const std::wstring& relative, const std::string& content = "x") const;
    bool Exists(const std::wstring& relative) const;

  private:
    std::wstring path;
};
