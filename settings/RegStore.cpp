#include "settings/RegStore.h"

#include <cwchar>
#include <string>
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

HKEY CreateChild(HKEY parent, const wchar_t* name, LONG* result = nullptr) {
    HKEY child = nullptr;
    LONG created =
        RegCreateKeyExW(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr);
    if (result) *result = created;
    return created == ERROR_SUCCESS ? child : nullptr;
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

bool QueryBinary(HKEY handle, const wchar_t* valueName, std::string& bytes) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(handle, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return false;
    std::string stored(size, '\0');
    if (RegQueryValueExW(handle, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&stored[0]),
                         &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return false;
    stored.resize(size);
    bytes = std::move(stored);
    return true;
}

}  // namespace

RegStore::RegStore() : makerKey(), productKey(), root(nullptr), lastFailure(0) {}

RegStore::~RegStore() {
    if (root) RegCloseKey(root);
}

void RegStore::SetMakerKey(const wchar_t* name) { CopyTextCut(makerKey, name); }

void RegStore::SetProductKey(const wchar_t* name) { CopyTextCut(productKey, name); }

bool RegStore::Open() {
    if (root) RegCloseKey(root);
    root = nullptr;
    if (!IsSingleKeyName(makerKey) || !IsSingleKeyName(productKey))
        return Succeeded(ERROR_INVALID_PARAMETER);
    HKEY software = nullptr;
    LONG result = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_CREATE_SUB_KEY, &software);
    if (result != ERROR_SUCCESS) return Succeeded(result);
    HKEY maker = CreateChild(software, makerKey, &result);
    RegCloseKey(software);
    if (maker) {
        root = CreateChild(maker, productKey, &result);
        RegCloseKey(maker);
    }
    return Succeeded(result);
}

std::wstring RegStore::DescribeLastFailure() const {
    wchar_t reason[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(lastFailure), 0, reason, ARRAYSIZE(reason), nullptr);
    std::wstring text = reason;
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"unknown failure";
    return text + L" (error " + std::to_wstring(lastFailure) + L")";
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

// A name that cannot be a single key fails as an invalid parameter would.
HKEY RegStore::OpenForWrite(const wchar_t* key, const wchar_t* subkey) {
    if (root && !key) return root;
    if (!root || !IsSingleKeyName(key) || (subkey && !IsSingleKeyName(subkey))) {
        Succeeded(root ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    LONG result = ERROR_SUCCESS;
    HKEY keyHandle = CreateChild(root, key, &result);
    HKEY handle = keyHandle;
    if (keyHandle && subkey) {
        handle = CreateChild(keyHandle, subkey, &result);
        RegCloseKey(keyHandle);
    }
    Succeeded(result);
    return handle;
}

void RegStore::CloseUnlessRoot(HKEY handle) {
    if (handle && handle != root) RegCloseKey(handle);
}

bool RegStore::Succeeded(LONG result) {
    if (result != ERROR_SUCCESS) lastFailure = result;
    return result == ERROR_SUCCESS;
}

bool RegStore::WriteString(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                           const wchar_t* text) {
    HKEY handle = OpenForWrite(key, subkey);
    if (!handle) return false;
    if (!text) text = L"";
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    LONG result =
        RegSetValueExW(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    CloseUnlessRoot(handle);
    return Succeeded(result);
}

bool RegStore::WriteDword(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                          DWORD value) {
    HKEY handle = OpenForWrite(key, subkey);
    if (!handle) return false;
    LONG result = RegSetValueExW(handle, valueName, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value), sizeof(value));
    CloseUnlessRoot(handle);
    return Succeeded(result);
}

bool RegStore::WriteBinary(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                           const std::string& bytes) {
    HKEY handle = OpenForWrite(key, subkey);
    if (!handle) return false;
    LONG result = RegSetValueExW(handle, valueName, 0, REG_BINARY,
                                 reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size()));
    CloseUnlessRoot(handle);
    return Succeeded(result);
}

bool RegStore::DeleteValue(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName) {
    HKEY handle = OpenForWrite(key, subkey);
    if (!handle) return false;
    LONG result = RegDeleteValueW(handle, valueName);
    CloseUnlessRoot(handle);
    return result == ERROR_FILE_NOT_FOUND || Succeeded(result);
}

bool RegStore::ReadBinary(const wchar_t* key, const wchar_t* subkey, const wchar_t* valueName,
                          std::string& bytes) {
    bytes.clear();
    HKEY handle = OpenForRead(key, subkey);
    if (!handle) return false;
    bool found = QueryBinary(handle, valueName, bytes);
    CloseUnlessRoot(handle);
    return found;
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

// A key that is not there is as good as deleted.
bool RegStore::DeleteKey(const wchar_t* key, const wchar_t* subkey) {
    if (!root || !IsSingleKeyName(key) || (subkey && !IsSingleKeyName(subkey))) return false;
    std::wstring path = subkey ? std::wstring(key) + L"\\" + subkey : key;
    // RegDeleteKeyW refuses a key with subkeys on desktop Windows; the whole tree must go.
    LONG result = RegDeleteTreeW(root, path.c_str());
    return result == ERROR_FILE_NOT_FOUND || Succeeded(result);
}
