// The WinINet FTP functions the program calls, with the system's names,
// signatures and error codes, over our own FTP layer.
#include <wininet.h>

#include <cwchar>
#include <string>

#include "wininet/FtpFileHandle.h"
#include "wininet/FtpFindHandle.h"
#include "wininet/HandleTable.h"
#include "wininet/InternetSession.h"
#include "wininet/LastResponse.h"

namespace {

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

HINTERNET FailHandle(DWORD error) {
    SetLastError(error);
    return nullptr;
}

BOOL Result(DWORD error) { return error ? Fail(error) : TRUE; }

// Lists a new child handle, or closes it when its parent was closed while it was made.
HINTERNET AddChild(const std::shared_ptr<InternetHandle>& handle) {
    HINTERNET value = HandleTable::Add(handle);
    if (value) return value;
    handle->Close();
    return FailHandle(ERROR_INTERNET_OPERATION_CANCELLED);
}

// A line break in a name would end the command early and start another.
bool IsSafeText(LPCWSTR text) { return !text || !wcspbrk(text, L"\r\n"); }

bool IsSafeName(LPCWSTR name) { return name && *name && IsSafeText(name); }

template <typename Operation>
BOOL OnConnection(HINTERNET hConnect, Operation operation) {
    DWORD error = 0;
    auto connection =
        HandleTable::FindAs<FtpConnection>(hConnect, INTERNET_HANDLE_TYPE_CONNECT_FTP, error);
    return connection ? Result(operation(*connection)) : Fail(error);
}

template <typename Operation>
BOOL OnConnection(HINTERNET hConnect, LPCWSTR name, Operation operation) {
    if (!IsSafeName(name)) return Fail(ERROR_INVALID_PARAMETER);
    return OnConnection(hConnect, [&](FtpConnection& connection) {
        return operation(connection, std::wstring(name));
    });
}

}  // namespace

extern "C" {

HINTERNET WINAPI InternetOpenW(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) {
    auto session = std::make_shared<InternetSession>();
    if (!session->Started()) return FailHandle(ERROR_INTERNET_INTERNAL_ERROR);
    return HandleTable::Add(session);
}

INTERNET_STATUS_CALLBACK WINAPI InternetSetStatusCallbackW(HINTERNET hInternet,
                                                           INTERNET_STATUS_CALLBACK callback) {
    std::shared_ptr<InternetHandle> handle = HandleTable::FindAny(hInternet);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INTERNET_INVALID_STATUS_CALLBACK;
    }
    return handle->SetCallback(callback);
}

HINTERNET WINAPI InternetConnectW(HINTERNET hInternet, LPCWSTR lpszServerName,
                                  INTERNET_PORT nServerPort, LPCWSTR lpszUserName,
                                  LPCWSTR lpszPassword, DWORD dwService, DWORD dwFlags,
                                  DWORD_PTR dwContext) {
    DWORD error = 0;
    auto session = HandleTable::Find(hInternet, INTERNET_HANDLE_TYPE_INTERNET, error);
    if (!session) return FailHandle(error);
    if (dwService != INTERNET_SERVICE_FTP || !IsSafeName(lpszServerName) ||
        !IsSafeText(lpszUserName) || !IsSafeText(lpszPassword))
        return FailHandle(ERROR_INVALID_PARAMETER);
    auto connection = std::make_shared<FtpConnection>(session, dwFlags, dwContext);
    // Listed before it connects, so that closing the session cuts a slow connect short.
    HINTERNET value = AddChild(connection);
    if (!value) return nullptr;
    // As WinINet does: the caller may close the handle from another thread
    // while the login takes long.
    INTERNET_ASYNC_RESULT created = {reinterpret_cast<DWORD_PTR>(value), 0};
    connection->ReportStatus(INTERNET_STATUS_HANDLE_CREATED, &created, sizeof(created));
    error = connection->Open(lpszServerName, nServerPort, lpszUserName ? lpszUserName : L"",
                             lpszPassword ? lpszPassword : L"");
    if (!error) return value;
    for (auto& removed : HandleTable::Remove(value)) removed->Close();
    // Whatever these were the last to hold (sockets, Winsock itself when the
    // session was closed meanwhile) ends here, before the error is set.
    connection.reset();
    session.reset();
    return FailHandle(error);
}

HINTERNET WINAPI FtpFindFirstFileW(HINTERNET hConnect, LPCWSTR lpszSearchFile,
                                   LPWIN32_FIND_DATAW lpFindFileData, DWORD, DWORD_PTR dwContext) {
    if (!IsSafeText(lpszSearchFile)) return FailHandle(ERROR_INVALID_PARAMETER);
    DWORD error = 0;
    auto connection =
        HandleTable::FindAs<FtpConnection>(hConnect, INTERNET_HANDLE_TYPE_CONNECT_FTP, error);
    if (!connection) return FailHandle(error);
    std::vector<FtpListEntry> entries;
    error = connection->Find(lpszSearchFile ? lpszSearchFile : L"", entries);
    if (entries.empty()) return FailHandle(error ? error : ERROR_NO_MORE_FILES);
    auto find = std::make_shared<FtpFindHandle>(connection, std::move(entries), dwContext, error);
    WIN32_FIND_DATAW first;
    find->Next(first);
    if (lpFindFileData) *lpFindFileData = first;
    return AddChild(find);
}

BOOL WINAPI InternetFindNextFileW(HINTERNET hFind, LPVOID lpvFindData) {
    if (!lpvFindData) return Fail(ERROR_INVALID_PARAMETER);
    DWORD error = 0;
    auto find = HandleTable::FindAs<FtpFindHandle>(hFind, INTERNET_HANDLE_TYPE_FTP_FIND, error);
    if (!find) return Fail(error);
    return find->Next(*static_cast<WIN32_FIND_DATAW*>(lpvFindData)) ? TRUE : Fail(find->EndError());
}

BOOL WINAPI FtpSetCurrentDirectoryW(HINTERNET hConnect, LPCWSTR lpszDirectory) {
    return OnConnection(hConnect, lpszDirectory,
                        [](FtpConnection& connection, const std::wstring& path) {
                            return connection.ChangeDirectory(path);
                        });
}

BOOL WINAPI FtpGetCurrentDirectoryW(HINTERNET hConnect, LPWSTR lpszCurrentDirectory,
                                    LPDWORD lpdwCurrentDirectory) {
    if (!lpdwCurrentDirectory || (!lpszCurrentDirectory && *lpdwCurrentDirectory))
        return Fail(ERROR_INVALID_PARAMETER);
    DWORD error = 0;
    auto connection =
        HandleTable::FindAs<FtpConnection>(hConnect, INTERNET_HANDLE_TYPE_CONNECT_FTP, error);
    if (!connection) return Fail(error);
    std::wstring path;
    if ((error = connection->CurrentDirectory(path))) return Fail(error);
    DWORD needed = static_cast<DWORD>(path.size() + 1);
    if (needed > *lpdwCurrentDirectory) {
        *lpdwCurrentDirectory = needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    wmemcpy(lpszCurrentDirectory, path.c_str(), needed);
    *lpdwCurrentDirectory = needed - 1;
    return TRUE;
}

HINTERNET WINAPI FtpOpenFileW(HINTERNET hConnect, LPCWSTR lpszFileName, DWORD dwAccess,
                              DWORD dwFlags, DWORD_PTR dwContext) {
    if (!IsSafeName(lpszFileName) || (dwAccess != GENERIC_READ && dwAccess != GENERIC_WRITE))
        return FailHandle(ERROR_INVALID_PARAMETER);
    DWORD error = 0;
    auto connection =
        HandleTable::FindAs<FtpConnection>(hConnect, INTERNET_HANDLE_TYPE_CONNECT_FTP, error);
    if (!connection) return FailHandle(error);
    bool upload = dwAccess == GENERIC_WRITE;
    char type = (dwFlags & FTP_TRANSFER_TYPE_MASK) == FTP_TRANSFER_TYPE_ASCII ? 'A' : 'I';
    auto file = std::make_shared<FtpFileHandle>(connection, upload, dwContext);
    if ((error = file->Open(lpszFileName, type))) return FailHandle(error);
    return AddChild(file);
}

BOOL WINAPI InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                             LPDWORD lpdwNumberOfBytesRead) {
    if (!lpdwNumberOfBytesRead || (!lpBuffer && dwNumberOfBytesToRead))
        return Fail(ERROR_INVALID_PARAMETER);
    *lpdwNumberOfBytesRead = 0;
    DWORD error = 0;
    auto file = HandleTable::FindAs<FtpFileHandle>(hFile, INTERNET_HANDLE_TYPE_FTP_FILE, error);
    if (!file) return Fail(error);
    return Result(file->Read(lpBuffer, dwNumberOfBytesToRead, *lpdwNumberOfBytesRead));
}

BOOL WINAPI InternetWriteFile(HINTERNET hFile, LPCVOID lpBuffer, DWORD dwNumberOfBytesToWrite,
                              LPDWORD lpdwNumberOfBytesWritten) {
    if (!lpdwNumberOfBytesWritten || (!lpBuffer && dwNumberOfBytesToWrite))
        return Fail(ERROR_INVALID_PARAMETER);
    *lpdwNumberOfBytesWritten = 0;
    DWORD error = 0;
    auto file = HandleTable::FindAs<FtpFileHandle>(hFile, INTERNET_HANDLE_TYPE_FTP_FILE, error);
    if (!file) return Fail(error);
    return Result(file->Write(lpBuffer, dwNumberOfBytesToWrite, *lpdwNumberOfBytesWritten));
}

BOOL WINAPI FtpRenameFileW(HINTERNET hConnect, LPCWSTR lpszExisting, LPCWSTR lpszNew) {
    if (!IsSafeName(lpszNew)) return Fail(ERROR_INVALID_PARAMETER);
    return OnConnection(hConnect, lpszExisting,
                        [lpszNew](FtpConnection& connection, const std::wstring& name) {
                            return connection.Rename(name, lpszNew);
                        });
}

// Commands with a data connection of their own are not offered: listings and
// files go through the functions made for them.
BOOL WINAPI FtpCommandW(HINTERNET hConnect, BOOL fExpectResponse, DWORD, LPCWSTR lpszCommand,
                        DWORD_PTR, HINTERNET* phFtpCommand) {
    if (phFtpCommand) *phFtpCommand = nullptr;
    if (fExpectResponse) return Fail(ERROR_INVALID_PARAMETER);
    return OnConnection(hConnect, lpszCommand,
                        [](FtpConnection& connection, const std::wstring& command) {
                            return connection.Command(command);
                        });
}

BOOL WINAPI FtpCommandWithNextW(HINTERNET hConnect, LPCWSTR command, BOOL keepReply) {
    return OnConnection(hConnect, command,
                        [keepReply](FtpConnection& connection, const std::wstring& line) {
                            return connection.CommandWithNext(line, keepReply != FALSE);
                        });
}

BOOL WINAPI FtpTakeKeptReply(HINTERNET hConnect, DWORD* code) {
    if (!code) return Fail(ERROR_INVALID_PARAMETER);
    return OnConnection(
        hConnect, [code](FtpConnection& connection) { return connection.TakeKeptReply(*code); });
}

BOOL WINAPI FtpSettleCommands(HINTERNET hConnect) {
    return OnConnection(hConnect, [](FtpConnection& connection) { return connection.Settle(); });
}

BOOL WINAPI FtpAbortFile(HINTERNET hFile) {
    DWORD error = 0;
    auto file = HandleTable::FindAs<FtpFileHandle>(hFile, INTERNET_HANDLE_TYPE_FTP_FILE, error);
    if (!file) return Fail(error);
    file->Abort();
    return TRUE;
}

// Only the receive timeout, and only as the process's default (a null
// handle): it is the bound on a wait without progress, and a whole reply
// may take three times as long.
BOOL WINAPI InternetSetOptionW(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer,
                               DWORD dwBufferLength) {
    if (hInternet || dwOption != INTERNET_OPTION_RECEIVE_TIMEOUT)
        return Fail(ERROR_INTERNET_INVALID_OPTION);
    if (!lpBuffer || dwBufferLength != sizeof(DWORD)) return Fail(ERROR_INVALID_PARAMETER);
    DWORD idleMs = *static_cast<DWORD*>(lpBuffer);
    SetFtpWaitBounds(idleMs, 3 * idleMs);
    return TRUE;
}

BOOL WINAPI FtpDeleteFileW(HINTERNET hConnect, LPCWSTR lpszFileName) {
    return OnConnection(hConnect, lpszFileName,
                        [](FtpConnection& connection, const std::wstring& name) {
                            return connection.RemoveFile(name);
                        });
}

BOOL WINAPI FtpRemoveDirectoryW(HINTERNET hConnect, LPCWSTR lpszDirectory) {
    return OnConnection(hConnect, lpszDirectory,
                        [](FtpConnection& connection, const std::wstring& name) {
                            return connection.RemoveFolder(name);
                        });
}

BOOL WINAPI FtpCreateDirectoryW(HINTERNET hConnect, LPCWSTR lpszDirectory) {
    return OnConnection(hConnect, lpszDirectory,
                        [](FtpConnection& connection, const std::wstring& name) {
                            return connection.MakeFolder(name);
                        });
}

// Only what the program asks of a connection: whether it is protected by
// TLS, and whether it gave active mode up for passive mode.
BOOL WINAPI InternetQueryOptionW(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer,
                                 LPDWORD lpdwBufferLength) {
    if (dwOption != INTERNET_OPTION_SECURITY_FLAGS &&
        dwOption != INTERNET_OPTION_FTP_PASSIVE_FALLBACK)
        return Fail(ERROR_INTERNET_INVALID_OPTION);
    if (!lpdwBufferLength) return Fail(ERROR_INVALID_PARAMETER);
    DWORD error = 0;
    auto connection =
        HandleTable::FindAs<FtpConnection>(hInternet, INTERNET_HANDLE_TYPE_CONNECT_FTP, error);
    if (!connection) return Fail(error);
    if (!lpBuffer || *lpdwBufferLength < sizeof(DWORD)) {
        *lpdwBufferLength = sizeof(DWORD);
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (dwOption == INTERNET_OPTION_SECURITY_FLAGS)
        *static_cast<DWORD*>(lpBuffer) = connection->Secure() ? SECURITY_FLAG_SECURE : 0;
    else
        *static_cast<DWORD*>(lpBuffer) = connection->FellBackToPassive() ? 1 : 0;
    *lpdwBufferLength = sizeof(DWORD);
    return TRUE;
}

BOOL WINAPI InternetCloseHandle(HINTERNET hInternet) {
    auto removed = HandleTable::Remove(hInternet);
    if (removed.empty()) return Fail(ERROR_INVALID_HANDLE);
    DWORD error = 0;
    for (auto& handle : removed) error = handle->Close();
    return Result(error);
}

BOOL WINAPI InternetGetLastResponseInfoW(LPDWORD lpdwError, LPWSTR lpszBuffer,
                                         LPDWORD lpdwBufferLength) {
    if (!lpdwError || !lpdwBufferLength) return Fail(ERROR_INVALID_PARAMETER);
    const std::wstring& text = LastResponseText();
    *lpdwError = static_cast<DWORD>(LastResponseCode());
    DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (!lpszBuffer || needed > *lpdwBufferLength) {
        *lpdwBufferLength = needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    wmemcpy(lpszBuffer, text.c_str(), needed);
    *lpdwBufferLength = needed - 1;
    return TRUE;
}

}  // extern "C"
