#include "settings/ProtectedPassword.h"

#include <windows.h>
// After windows.h, which brings the types it needs.
#include <wincrypt.h>

#include <cwchar>

namespace {

// Ties the sealed bytes to this program: another one calling the same system
// function for the same user cannot open them without these.
const char kEntropy[] = "Corvane saved session password v1";

DATA_BLOB EntropyBlob() {
    return {static_cast<DWORD>(sizeof(kEntropy) - 1),
            reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy))};
}

}  // namespace

std::string ProtectedPassword::Seal(const wchar_t* password) {
    DATA_BLOB plain = {static_cast<DWORD>(wcslen(password) * sizeof(wchar_t)),
                       reinterpret_cast<BYTE*>(const_cast<wchar_t*>(password))};
    DATA_BLOB entropy = EntropyBlob(), sealed = {};
    if (!CryptProtectData(&plain, L"Corvane", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &sealed))
        return std::string();
    std::string bytes(reinterpret_cast<const char*>(sealed.pbData), sealed.cbData);
    LocalFree(sealed.pbData);
    return bytes;
}

bool ProtectedPassword::Open(const std::string& sealed, wchar_t* password, size_t capacity) {
    password[0] = L'\0';
    DATA_BLOB input = {static_cast<DWORD>(sealed.size()),
                       reinterpret_cast<BYTE*>(const_cast<char*>(sealed.data()))};
    DATA_BLOB entropy = EntropyBlob(), plain = {};
    if (sealed.empty() || !CryptUnprotectData(&input, nullptr, &entropy, nullptr, nullptr,
                                              CRYPTPROTECT_UI_FORBIDDEN, &plain))
        return false;
    size_t length = plain.cbData / sizeof(wchar_t);
    bool fits = plain.cbData % sizeof(wchar_t) == 0 && length < capacity;
    if (fits) {
        wmemcpy(password, reinterpret_cast<const wchar_t*>(plain.pbData), length);
        password[length] = L'\0';
    }
    SecureZeroMemory(plain.pbData, plain.cbData);
    LocalFree(plain.pbData);
    return fits;
}
