#include "browsers/ModifiedText.h"

#include <windows.h>

void FormatModifiedText(uint64_t fileTime, bool dateOnly, wchar_t* text, size_t capacity) {
    text[0] = L'\0';
    FILETIME utc = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    FILETIME local = utc;
    SYSTEMTIME shown;
    if (fileTime == 0 || (!dateOnly && !FileTimeToLocalFileTime(&utc, &local)) ||
        !FileTimeToSystemTime(&local, &shown))
        return;
    int room = static_cast<int>(capacity);
    int date = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &shown, nullptr, text, room);
    if (date == 0 || date >= room || dateOnly) return;
    text[date - 1] = L' ';
    if (!GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &shown, nullptr, text + date,
                        room - date))
        text[date - 1] = L'\0';
}
