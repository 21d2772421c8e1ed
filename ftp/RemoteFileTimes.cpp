// Reading and setting the time of a file on the server.
#include <cwctype>
#include <string>

#include "ftp/EntryName.h"
#include "ftp/FtpFS.h"
#include "ftp/ServerReason.h"
#include "wininet/FtpTime.h"

namespace {

// The whole last reply: FEAT's runs over many lines.
std::wstring LastReply(DWORD* code) {
    DWORD length = 0;
    InternetGetLastResponseInfoW(code, nullptr, &length);
    std::wstring text(length + 1, L'\0');
    length = static_cast<DWORD>(text.size());
    if (!InternetGetLastResponseInfoW(code, &text[0], &length)) return L"";
    text.resize(length);
    return text;
}

// The time in a "213 YYYYMMDDHHMMSS" reply; a text that is no time gives none.
bool ParseTimeReply(const std::wstring& reply, FILETIME& time) {
    std::wstring value = reply.size() > 4 ? reply.substr(4) : L"";
    while (!value.empty() && iswspace(value.back())) value.pop_back();
    std::string narrow;
    for (wchar_t c : value) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return ParseFtpTime(narrow, time);
}

// The server does not know the command, or not with these arguments: another
// may work. Any other refusal is about this file.
bool IsUnknownCommand(DWORD code) {
    return code == 500 || code == 501 || code == 502 || code == 504;
}

bool OffersMfmt(std::wstring features) {
    for (wchar_t& c : features) c = towupper(c);
    return features.find(L"\n MFMT") != std::wstring::npos;
}

// A "213 YYYYMMDDHHMMSS" last reply as a time; any other gives none.
KnownTime TimeOfLastReply() {
    DWORD code = 0;
    FILETIME time;
    std::wstring reply = LastReply(&code);
    if (code != 213 || !ParseTimeReply(reply, time)) return KnownTime();
    return KnownTime{StampOf(time), true, true};
}

}  // namespace

KnownTime FtpFS::ServerFileTime(const wchar_t* name) {
    if (!IsSafeCommandArgument(name)) return KnownTime();
    std::wstring command = std::wstring(L"MDTM ") + name;
    if (!FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), 0, nullptr)) {
        TakeServerReason();  // no time is no failure: its reply explains nothing later
        return KnownTime();
    }
    return TimeOfLastReply();
}

void FtpFS::AskTimeWithNext(const wchar_t* name) {
    std::wstring command = std::wstring(L"MDTM ") + name;
    FtpCommandWithNextW(connection, command.c_str(), TRUE);
}

// A refusal is no failure of the file: its reply explains nothing later.
KnownTime FtpFS::TimeAskedWithNext() {
    DWORD code = 0;
    if (!FtpTakeKeptReply(connection, &code)) return KnownTime();
    KnownTime time = TimeOfLastReply();
    if (!time.exact) TakeServerReason();
    return time;
}

// A command that sets a time and has once worked here keeps being used; one
// not yet seen working gives way to the next at its first refusal (a server
// without MDTM's setting form reads the time as part of the name, and refuses
// the file). A refused time leaves the file as the transfer made it. Once one
// worked, its replies are not waited for: they come with the next command's.
bool FtpFS::SetServerFileTime(const wchar_t* name, FileStamp stamp) {
    std::string time = FormatFtpTime(ToFileTime(stamp));
    if (time.empty() || !IsSafeCommandArgument(name)) return false;
    std::wstring wideTime(time.begin(), time.end());
    if (timeSetterWorked) return SendTimeSetter(timeSetter, wideTime, name, false);
    if (timeSetter == TimeSetter::unknown) timeSetter = FirstTimeSetter();
    while (timeSetter != TimeSetter::none) {
        if (SendTimeSetter(timeSetter, wideTime, name, true)) {
            timeSetterWorked = true;
            return true;
        }
        DWORD code = static_cast<DWORD>(-1);
        LastReply(&code);
        TakeServerReason();  // a time refused is no failure of the file
        bool mayTryNext =
            timeSetter == TimeSetter::mfmt ? IsUnknownCommand(code) : !timeSetterWorked;
        if (!mayTryNext) return false;
        timeSetter = static_cast<TimeSetter>(static_cast<int>(timeSetter) + 1);
        timeSetterWorked = false;
    }
    return false;
}

bool FtpFS::Settle() { return FtpSettleCommands(connection) != FALSE; }

FtpFS::TimeSetter FtpFS::FirstTimeSetter() {
    DWORD code = 0;
    if (!FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, L"FEAT", 0, nullptr)) {
        TakeServerReason();
        return TimeSetter::mdtm;
    }
    return OffersMfmt(LastReply(&code)) ? TimeSetter::mfmt : TimeSetter::mdtm;
}

bool FtpFS::SendTimeSetter(TimeSetter setter, const std::wstring& time, const wchar_t* name,
                           bool answered) {
    const wchar_t* verb = setter == TimeSetter::mfmt   ? L"MFMT "
                          : setter == TimeSetter::mdtm ? L"MDTM "
                                                       : L"SITE UTIME ";
    std::wstring command = verb + time + L" " + name;
    if (!answered) return FtpCommandWithNextW(connection, command.c_str(), FALSE) != FALSE;
    return FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), 0, nullptr) !=
           FALSE;
}
