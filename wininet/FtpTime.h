#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

// The times FTP commands carry (MLSD "modify", MDTM, MFMT): UTC written as
// YYYYMMDDHHMMSS, perhaps with a fraction. Kept in this header alone so that
// the engine reads and writes them the same way over the system's WinINet.

// How a listed entry's time is to be read, in WIN32_FIND_DATAW::dwReserved0:
// LIST gives the server's clock without a zone (the system's WinINet too),
// MLSD gives UTC, and a LIST line of an older file gives a day only.
enum : DWORD { kListedServerClock = 0, kListedUtc = 1, kListedDayOnly = 2 };

// Times outside what every local file system can keep (FAT: 1980 to 2107)
// are a server's mistake, not a file's age: such a time counts as unknown.
inline bool IsKeepableYear(int year) { return year >= 1980 && year <= 2107; }

inline bool MakeFileTime(int year, int month, int day, int hour, int minute, int second,
                         FILETIME& time) {
    if (!IsKeepableYear(year) || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
        minute > 59 || second > 60)
        return false;
    SYSTEMTIME system = {};
    system.wYear = static_cast<WORD>(year);
    system.wMonth = static_cast<WORD>(month);
    system.wDay = static_cast<WORD>(day);
    system.wHour = static_cast<WORD>(hour);
    system.wMinute = static_cast<WORD>(minute);
    system.wSecond = static_cast<WORD>(second == 60 ? 59 : second);  // a leap second
    return SystemTimeToFileTime(&system, &time) != FALSE;
}

// "YYYYMMDDHHMMSS" with an optional ".fff..." (dropped), and nothing else.
inline bool ParseFtpTime(const std::string& text, FILETIME& time) {
    if (text.size() < 14) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (i < 14 ? !digit : !(digit || (i == 14 && text[i] == '.' && text.size() > 15)))
            return false;
    }
    auto field = [&text](size_t at, size_t length) { return std::stoi(text.substr(at, length)); };
    return MakeFileTime(field(0, 4), field(4, 2), field(6, 2), field(8, 2), field(10, 2),
                        field(12, 2), time);
}

// The time as the commands that set one want it; empty for one out of range.
inline std::string FormatFtpTime(const FILETIME& time) {
    SYSTEMTIME system;
    if (!FileTimeToSystemTime(&time, &system) || !IsKeepableYear(system.wYear)) return "";
    char text[16];
    snprintf(text, sizeof text, "%04u%02u%02u%02u%02u%02u", system.wYear, system.wMonth,
             system.wDay, system.wHour, system.wMinute, system.wSecond);
    return text;
}
