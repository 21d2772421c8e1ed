#include "ftp/ServerReason.h"

#include <windows.h>
#include <wininet.h>

#include <cwctype>
#include <utility>

#include "wininet/FtpTlsApi.h"
#include "wininet/ThreadSlot.h"

namespace {

struct LeftReason {
    DWORD error = ERROR_SUCCESS;
    std::wstring text;
};
ThreadSlot<LeftReason> leftReasons;

const size_t kMaxReasonChars = 400;
const int kMaxReasonLines = 6;

bool IsLayerError(DWORD error) {
    return error >= INTERNET_ERROR_BASE && error <= INTERNET_ERROR_LAST;
}

// A reply starts with its three-digit code; refusals are 4xx and 5xx.
bool IsRefusal(const std::wstring& reply) {
    return reply.size() >= 3 && (reply[0] == L'4' || reply[0] == L'5') && iswdigit(reply[1]) &&
           iswdigit(reply[2]);
}

void TrimEnd(std::wstring& text) {
    while (!text.empty() && iswspace(text.back())) text.pop_back();
}

// A hostile or chatty server must not fill the screen: a few lines, no
// control characters, and a mark where the rest was left out.
std::wstring Bounded(std::wstring reply) {
    TrimEnd(reply);
    std::wstring text;
    int lines = 1;
    for (wchar_t c : reply) {
        if (c == L'\r') continue;
        if (c == L'\n') ++lines;
        if (lines > kMaxReasonLines || text.size() == kMaxReasonChars) {
            TrimEnd(text);
            return text + L"\u2026";
        }
        text += c == L'\n' || c >= 32 ? c : L' ';
    }
    return text;
}

std::wstring LastReply() {
    DWORD code = 0, length = 0;
    InternetGetLastResponseInfoW(&code, nullptr, &length);
    if (length == 0) return L"";
    std::wstring reply(length, L'\0');
    if (!InternetGetLastResponseInfoW(&code, &reply[0], &length)) return L"";
    reply.resize(length);
    return reply;
}

}  // namespace

std::wstring TakeServerReason() {
    // Whatever the server replied, this failure is the layer's own finding.
    if (GetLastError() == ERROR_FTP_DATA_CERTIFICATE_MISMATCH) {
        SetLastError(ERROR_SUCCESS);
        return L"The data connection showed a certificate other than the server's: someone may "
               L"be intercepting the connection.";
    }
    LeftReason left;
    std::swap(left, leftReasons.Get());
    if (!IsLayerError(GetLastError())) return L"";
    if (left.error == GetLastError() && !left.text.empty()) {
        SetLastError(ERROR_SUCCESS);
        return Bounded(left.text);
    }
    std::wstring reply = LastReply();
    SetLastError(ERROR_SUCCESS);
    return IsRefusal(reply) ? Bounded(reply) : L"";
}

void LeaveServerReason(DWORD error, const std::wstring& reason) {
    leftReasons.Get() = {error, reason};
    SetLastError(error);
}

std::wstring WithServerReason(const wchar_t* text, const std::wstring& reason) {
    std::wstring shown = text;
    if (!reason.empty()) shown += L"\n" + reason;
    return shown;
}
