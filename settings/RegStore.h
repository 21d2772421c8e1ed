#pragma once

#include <windows.h>

#include <string>

#include "framework/PtrList.h"
#include "framework/WString.h"

// The program's persistent state under HKEY_CURRENT_USER\Software\<maker>\<product>.
// A key is named relative to the root and a subkey relative to that key; either
// may be null. Reads fall back to the caller's default for anything missing,
// unreadable or of the wrong type; writes create missing keys on the way and
// say whether they reached the registry, keeping the system's code of the last
// one that did not, so that the caller can tell the user why.
class RegStore {
  public:
    RegStore();
    RegStore(const RegStore&) = delete;
    RegStore& operator=(const RegStore&) = delete;
    virtual ~RegStore();

    void SetMakerKey(const wchar_t* name);
    void SetProductKey(const wchar_t* name);
    bool Open();
    bool IsOpen() const { return root != nullptr; }

    bool WriteString(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                     const wchar_t* text);
    bool WriteDword(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                    DWORD value);
    bool WriteBinary(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                     const std::string& bytes);
    // A value that is not there is as good as deleted.
    bool DeleteValue(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName);
    // Returns the stored text, or a copy of defaultText.
    WString ReadString(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                       const wchar_t* defaultText);
    DWORD ReadDword(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                    DWORD defaultValue);
    // False, leaving bytes empty, when the value is missing or not binary.
    bool ReadBinary(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                    std::string& bytes);
    // Appends a heap copy of each subkey name; the caller deletes them.
    void EnumSubkeys(const wchar_t* key, PtrList<WString*>& names);
    // Deletes the key (or its subkey) with everything below it; true when it is gone.
    bool DeleteKey(const wchar_t* key, const wchar_t* subkey = nullptr);
    // The system's code of the last write or delete that failed; 0 when none did.
    LONG GetLastFailure() const { return lastFailure; }
    // That failure as the system words it, with its code: "... (error 5)".
    std::wstring DescribeLastFailure() const;

    static const size_t keyNameCapacity = 64;

  private:
    HKEY OpenForRead(const wchar_t* key, const wchar_t* subkey);
    HKEY OpenForWrite(const wchar_t* key, const wchar_t* subkey);
    void CloseUnlessRoot(HKEY handle);
    bool Succeeded(LONG result);

    wchar_t makerKey[keyNameCapacity];
    wchar_t productKey[keyNameCapacity];
    HKEY root;
    LONG lastFailure;
};
