#pragma once

#include <windows.h>

#include <string>

// A throw-away product key under HKCU\Software\CorvaneTest, removed with everything below it when
// the test ends.
class RegTestKey {
  public:
    RegTestKey();
    ~RegTestKey();
    RegTestKey(const RegTestKey&) = delete;
    RegTestKey& operator=(const RegTestKey&) = delete;

    static const wchar_t* Maker() { return L"CorvaneTest"; }
    const wchar_t* Product() const { return product.c_str(); }
    // Path of a key below the product key, relative to HKCU; empty for the product key.
    std::wstring Path(const wchar_t* below = nullptr) const;
    bool Exists(const wchar_t* below) const;

    // Raw stores, bypassing the program's own code.
    void SetRaw(const wchar_t* below, const wchar_t* name, DWORD type, const void* data,
                DWORD size);
    void SetDword(const wchar_t* below, const wchar_t* name, DWORD value);
    void SetString(const wchar_t* below, const wchar_t* name, const std::wstring& text);
    void DeleteValue(const wchar_t* below, const wchar_t* name);
    bool GetRaw(const wchar_t* below, const wchar_t* name, DWORD* type, std::wstring* text,
                DWORD* bytes) const;
    DWORD GetDword(const wchar_t* below, const wchar_t* name) const;
    int CountSubkeys(const wchar_t* below) const;

  private:
    std::wstring product;
};

// The handle value the next open would get; a key left open changes it.
UINT_PTR NextFreeHandle();
