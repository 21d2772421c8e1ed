#pragma once

#include <windows.h>

#include <string>

// A throw-away product key under HKCU\Software\CorvaneTest, removed with
// everything below it when the test ends. "below" names a key under it.
class RegTestKey {
  public:
    RegTestKey();
    ~RegTestKey();

    static const wchar_t* Maker() { return L"CorvaneTest"; }
    const wchar_t* Product() const { return product.c_str(); }
    bool Exists(const wchar_t* below) const;

    // Raw access, bypassing the program's own code.
    void SetRaw(const wchar_t* below, const wchar_t* name, DWORD type, const void* data,
                DWORD size);
    void SetDword(const wchar_t* below, const wchar_t* name, DWORD value);
    void SetString(const wchar_t* below, const wchar_t* name, const std::wstring& text);
    void DeleteValue(const wchar_t* below, const wchar_t* name);
    // The stored type and size, or type 0 when the value is missing.
    DWORD GetType(const wchar_t* below, const wchar_t* name, DWORD* bytes = nullptr) const;
    DWORD GetDword(const wchar_t* below, const wchar_t* name) const;
    int CountSubkeys(const wchar_t* below) const;

  private:
    std::wstring Path(const wchar_t* below = nullptr) const;

    std::wstring product;
};

// The handle value the next open would get: a key left open changes it.
UINT_PTR NextFreeHandle();
