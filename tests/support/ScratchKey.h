#pragma once

#include <windows.h>

#include <string>

// A real registry key under HKEY_CURRENT_USER for one test, reached with the
// raw API so that checks bypass the program's own registry code. It starts out
// missing: a key already there is moved aside and put back afterwards, and an
// emptied parent goes too. "below" names a key under it; null the key itself.
class ScratchKey {
  public:
    explicit ScratchKey(const std::wstring& path);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    int CountSubkeys(const wchar_t* below) const;  // -1 when the key is missing
    bool Exists(const wchar_t* below) const { return CountSubkeys(below) >= 0; }
    void SetRaw(const wchar_t* below, const wchar_t* name, DWORD type, const void* data,
                size_t size) const;
    void SetDword(const wchar_t* below, const wchar_t* name, DWORD value) const;
    void SetString(const wchar_t* below, const wchar_t* name, const std::wstring& text) const;
    // The stored type (0 when missing) and size.
    DWORD GetType(const wchar_t* below, const wchar_t* name, DWORD* bytes = nullptr) const;
    DWORD GetDword(const wchar_t* below, const wchar_t* name) const;  // 0xDEADBEEF when missing

  private:
    std::wstring Path(const wchar_t* below) const;

    std::wstring path;
    std::wstring backup;
    bool movedAside;
};
