#include "settings/RegStore.h"

#include <cwchar>
#include <vector>

#include "framework/TextUtil.h"

namespace {

// One level of key name only: a backslash would address a key elsewhere in
// the tree, and an empty name would address the parent itself.
bool IsSingleKeyName(const wchar_t* name) {
    return name && name[0] != L'\0' && !wcschr(name, L'\\');
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

HKEY OpenChild(HKEY parent, const wchar_t* name, REGSAM access) {
    HKEY child = nullptr;
    if (RegOpenKeyExW(parent, name, 0, access, &child) != ERROR_SUCCESS) return nullptr;
    return child;
}

HKEY CreateChild(HKEY parent, const wchar_t* name) {
    HKEY child = nullptr;
    if (RegCreateKeyExW(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return child;
}

// The text of a string value, or false when it is missing or not text. The
// stored bytes need not end in a terminator nor be of even count.
bool QueryText(HKEY handle, const wchar_t* valueName, WString& text) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(handle, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        !IsTextType(type))
        return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD received = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(handle, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &received) != ERROR_SUCCESS ||
        !IsTextType(type))
        return false;
    size_t length = received / sizeof(wchar_t);
    if (length >= buffer.size()) length = buffer.size() - 1;
    buffer[length] = L'\0';
    text = buffer.data();
    return true;
}

bool QueryDword(HKEY handle, const wchar_t* valueName, DWORD& value) {
    DWORD type = 0;
    DWORD stored = 0;
    DWORD size = sizeof(stored);
    if (RegQueryValueExW(handle, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(stored))
        return false;
    value = stored;
    return true;
}

}  // namespace

RegStore::RegStore() : makerKey(), productKey(), root(nullptr) {}

RegStore::~RegStore() {
    if (root) RegCloseKey(root);
}

void RegStore::SetMakerKey(const wchar_t* name) { CopyTextCut(makerKey, name); }

void RegStore::SetProductKey(const wchar_t* name) { CopyTextCut(productKey, name); }

bool RegStore::Open() {
    if (root) RegCloseKey(root);
    root = nullptr;
    if (!IsSingleKeyName(makerKey) || !IsSingleKeyName(productKey)) return false;
    HKEY software = OpenChild(HKEY_CURRENT_USER, L"Software", KEY_CREATE_SUB_KEY);
    if (!software) return false;
    HKEY maker = CreateChild(software, makerKey);
    RegCloseKey(software);
    if (!maker) return false;
    root = CreateChild(maker, productKey);
    RegCloseKey(maker);
    return root != nullptr;
}

HKEY RegStore::OpenForRead(const wchar_t* key, const wchar_t* subkey) {
    if (!root) return nullptr;
    if (!key) return root;
    if (!IsSingleKeyName(key) || (subkey && !IsSingleKeyName(subkey))) return nullptr;
    HKEY keyHandle = OpenChild(root, key, KEY_READ);
    if (!keyHandle || !subkey) return keyHandle;
    HKEY subkeyHandle = OpenChild(keyHandle, subkey, KEY_READ);
    RegCloseKey(keyHandle);
    return subkeyHandle;
}

HKEY RegStore::OpenForWrite(const wchar_t* key, const wchar_t* subkey) {
    if (!root) return nullptr;
    if (!key) return root;
    if (!IsSingleKeyName(key) || (subkey && !IsSingleKeyName(subkey))) return nullptr;
    HKEY keyHandle = CreateChild(root, key);
    if (!keyHandle || !subkey) return keyHandle;
    HKEY subkeyHandle = CreateChild(keyHandle, subkey);
    RegCloseKey(keyHandle);
    return subkeyHandle;
}

void RegStore::CloseUnlessRoot(HKEY handle) {
    if (handle && handle != root) RegCloseKey(handle);
}

void RegStore::WriteString(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                           const wchar_t* text) {
    HKEY handle = OpenForWrite(key, subkey);
    if (!handle) return;
    if (!text) text = L"";
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    RegSetValueExW(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    CloseUnlessRoot(handle);
}

void RegStore::WriteDword(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                          DWORD value) {
    HKEY handle = OpenForWrite(key, subkey);
    if (!handle) return;
    RegSetValueExW(handle, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
    CloseUnlessRoot(handle);
}

WString RegStore::ReadString(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                             const wchar_t* defaultText) {
    WString text(defaultText);
    HKEY handle = OpenForRead(key, subkey);
    if (!handle) return text;
    QueryText(handle, valueName, text);
    CloseUnlessRoot(handle);
    return text;
}

DWORD RegStore::ReadDword(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                          DWORD defaultValue) {
    DWORD value = defaultValue;
    HKEY handle = OpenForRead(key, subkey);
    if (!handle) return value;
    QueryDword(handle, valueName, value);
    CloseUnlessRoot(handle);
    return value;
}

void RegStore::EnumSubkeys(const wchar_t* key, PtrList<WString*>& names) {
    if (!key) return;
    HKEY handle = OpenForRead(key, nullptr);
    if (!handle) return;
    wchar_t name[512];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.AddTail(new WString(name));
    }
    CloseUnlessRoot(handle);
}

bool RegStore::DeleteKey(const wchar_t* key) {
    if (!root || !IsSingleKeyName(key)) return false;
    // RegDeleteKeyW refuses a key with subkeys on desktop Windows; the whole tree must go.
    return RegDeleteTreeW(root, key) == ERROR_SUCCESS;
}
