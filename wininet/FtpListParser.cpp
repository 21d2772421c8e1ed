#include "wininet/FtpListParser.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "wininet/ServerText.h"

namespace {

// Far beyond any real entry (a name of MAX_PATH characters of four bytes each
// and every fact a server gives), far below what could hurt.
constexpr size_t kMaxListLineBytes = 16 * 1024;

struct Token {
    size_t begin;
    size_t end;
    std::string text;
};

std::vector<Token> SplitOnBlanks(const std::string& line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) break;
        size_t begin = i;
        while (i < line.size() && line[i] != ' ') ++i;
        tokens.push_back({begin, i, line.substr(begin, i - begin)});
    }
    return tokens;
}

bool IsDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// Parses a decimal size; refuses values that do not fit in 64 bits.
bool ParseSize(const std::string& text, unsigned long long& size) {
    if (!IsDigits(text) || text.size() > 20) return false;
    unsigned long long value = 0;
    for (char c : text) {
        unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (~0ULL - digit) / 10) return false;
        value = value * 10 + digit;
    }
    size = value;
    return true;
}

int ParseNumber(const std::string& text) {
    if (!IsDigits(text) || text.size() > 4) return -1;
    return atoi(text.c_str());
}

int MonthNumber(const std::string& text) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3) return 0;
    for (int i = 0; i < 12; ++i)
        if (_strnicmp(text.c_str(), kMonths[i], 3) == 0) return i + 1;
    return 0;
}

bool ParseClock(const std::string& text, int& hour, int& minute) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    hour = ParseNumber(text.substr(0, colon));
    minute = ParseNumber(text.substr(colon + 1, 2));
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60;
}

bool FinishEntry(const std::string& rawName, FtpListEntry& entry) {
    entry.name = DecodeServerText(rawName, &entry.legacyName);
    return IsSafeEntryName(entry.name);
}

// ---- MLSD / MLST ----

void ApplyMlsxFact(const std::string& name, const std::string& value, FtpListEntry& entry,
                   bool& isListingItself) {
    if (_stricmp(name.c_str(), "type") == 0) {
        entry.isDirectory = _stricmp(value.c_str(), "dir") == 0;
        isListingItself =
            _stricmp(value.c_str(), "cdir") == 0 || _stricmp(value.c_str(), "pdir") == 0;
    } else if (_stricmp(name.c_str(), "size") == 0 || _stricmp(name.c_str(), "sizd") == 0) {
        ParseSize(value, entry.size);
    } else if (_stricmp(name.c_str(), "modify") == 0) {
        entry.hasTime = ParseFtpTime(value, entry.lastWrite);
        entry.timeKind = kListedUtc;
    }
}

// ---- Unix "ls -l" ----

bool IsUnixMode(const std::string& text) {
    if (text.size() < 10 || !strchr("-dlcbpsD", text[0])) return false;
    for (size_t i = 1; i < 10; ++i)
        if (!strchr("-rwxsStTlL", text[i])) return false;
    return true;
}

bool IsYearOrClock(const std::string& text) {
    int hour, minute;
    return ParseClock(text, hour, minute) || (text.size() == 4 && ParseNumber(text) > 1900);
}

struct UnixDate {
    size_t last;  // index of the date's last token
    int year, month, day, hour, minute;
    bool dayOnly;  // a year stood where the time of day would
};

void SetYearOrClock(const std::string& text, const SYSTEMTIME& now, UnixDate& date) {
    date.hour = date.minute = 0;
    date.dayOnly = false;
    if (ParseClock(text, date.hour, date.minute)) {
        // "Mon dd hh:mm" is within the last year: a date ahead of today is last year's.
        date.year = now.wYear;
        if (date.month > now.wMonth || (date.month == now.wMonth && date.day > now.wDay + 1))
            --date.year;
    } else {
        date.year = ParseNumber(text);
        date.dayOnly = true;
    }
}

// "Jan 31 10:00", "31 Jan 2020" or "2020-01-31 10:00" starting at token i.
bool MatchUnixDate(const std::vector<Token>& tokens, size_t i, const SYSTEMTIME& now,
                   UnixDate& date) {
    if (i + 2 < tokens.size() && IsYearOrClock(tokens[i + 2].text)) {
        bool dayFirst = MonthNumber(tokens[i].text) == 0;
        int month = MonthNumber(tokens[dayFirst ? i + 1 : i].text);
        int day = ParseNumber(tokens[dayFirst ? i : i + 1].text);
        if (month && day >= 1 && day <= 31) {
            date.last = i + 2;
            date.month = month;
            date.day = day;
            SetYearOrClock(tokens[i + 2].text, now, date);
            return true;
        }
    }
    std::string iso = tokens[i].text;
    if (i + 1 < tokens.size() && iso.size() == 10 && iso[4] == '-' && iso[7] == '-' &&
        ParseClock(tokens[i + 1].text, date.hour, date.minute)) {
        date.year = ParseNumber(iso.substr(0, 4));
        date.month = ParseNumber(iso.substr(5, 2));
        date.day = ParseNumber(iso.substr(8, 2));
        date.last = i + 1;
        date.dayOnly = false;
        return date.year > 0 && date.month > 0 && date.day > 0;
    }
    return false;
}

bool ParseUnixLine(const std::string& line, const SYSTEMTIME& now, FtpListEntry& entry) {
    std::vector<Token> tokens = SplitOnBlanks(line);
    if (tokens.size() < 5 || !IsUnixMode(tokens[0].text)) return false;
    char type = tokens[0].text[0];
    // The size is the number just before the date; owner and group may be missing.
    for (size_t i = 3; i + 1 < tokens.size(); ++i) {
        UnixDate date;
        const std::string& sizeText = tokens[i - 1].text;
        if (!IsDigits(sizeText) || !MatchUnixDate(tokens, i, now, date)) continue;
        // Devices show "major, minor" where files show their size.
        if (type != 'c' && type != 'b') ParseSize(sizeText, entry.size);
        entry.isDirectory = type == 'd' || type == 'D';
        entry.hasTime = MakeFileTime(date.year, date.month, date.day, date.hour, date.minute, 0,
                                     entry.lastWrite);
        if (date.dayOnly) entry.timeKind = kListedDayOnly;
        // Exactly one blank separates the date from the name, which may itself begin with blanks.
        size_t nameStart = tokens[date.last].end + 1;
        if (nameStart >= line.size()) return false;
        std::string name = line.substr(nameStart);
        size_t arrow = name.find(" -> ");
        if (type == 'l' && arrow != std::string::npos) name.erase(arrow);
        return FinishEntry(name, entry);
    }
    return false;
}

// ---- DOS / IIS ----

bool ParseDosDate(const std::string& text, int& year, int& month, int& day) {
    if (text.size() != 8 && text.size() != 10) return false;
    if ((text[2] != '-' && text[2] != '/') || text[5] != text[2]) return false;
    month = ParseNumber(text.substr(0, 2));
    day = ParseNumber(text.substr(3, 2));
    year = ParseNumber(text.substr(6));
    if (text.size() == 8 && year >= 0) year += year < 70 ? 2000 : 1900;
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && year > 0;
}

bool ParseDosClock(const std::string& text, int& hour, int& minute) {
    if (!ParseClock(text, hour, minute)) return false;
    std::string suffix = text.size() > 5 ? text.substr(text.size() - 2) : std::string();
    if (_stricmp(suffix.c_str(), "PM") == 0 && hour < 12) hour += 12;
    if (_stricmp(suffix.c_str(), "AM") == 0 && hour == 12) hour = 0;
    return true;
}

bool ParseDosLine(const std::string& line, FtpListEntry& entry) {
    std::vector<Token> tokens = SplitOnBlanks(line);
    if (tokens.size() < 4) return false;
    int year, month, day, hour, minute;
    if (!ParseDosDate(tokens[0].text, year, month, day) ||
        !ParseDosClock(tokens[1].text, hour, minute))
        return false;
    std::string kind = tokens[2].text;
    if (_stricmp(kind.c_str(), "<DIR>") == 0) {
        entry.isDirectory = true;
    } else {
        kind.erase(std::remove(kind.begin(), kind.end(), ','), kind.end());
        if (!ParseSize(kind, entry.size)) return false;
    }
    entry.hasTime = MakeFileTime(year, month, day, hour, minute, 0, entry.lastWrite);
    return FinishEntry(line.substr(tokens[3].begin), entry);
}

}  // namespace

bool IsSafeEntryName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    if (name.size() > MAX_PATH - 1) return false;
    return name.find_first_of(std::wstring(L"/\\\r\n\0", 5)) == std::wstring::npos;
}

bool ParseMlsxLine(const std::string& line, FtpListEntry& entry) {
    size_t blank = line.find(' ');
    if (blank == std::string::npos || line.find('=') > blank) return false;
    entry = FtpListEntry();
    bool isListingItself = false;
    size_t start = 0;
    while (start < blank) {
        size_t end = line.find(';', start);
        if (end == std::string::npos || end > blank) end = blank;
        std::string fact = line.substr(start, end - start);
        size_t equals = fact.find('=');
        if (equals != std::string::npos)
            ApplyMlsxFact(fact.substr(0, equals), fact.substr(equals + 1), entry, isListingItself);
        start = end + 1;
    }
    if (isListingItself) return false;
    return FinishEntry(line.substr(blank + 1), entry);
}

bool ParseListLine(const std::string& line, const SYSTEMTIME& now, FtpListEntry& entry) {
    entry = FtpListEntry();
    if (ParseUnixLine(line, now, entry)) return true;
    entry = FtpListEntry();
    return ParseDosLine(line, entry);
}

void FtpListingReader::ParseLine(const char* begin, const char* end) {
    if (end > begin && end[-1] == '\r') --end;
    std::string line(begin, end);
    FtpListEntry entry;
    bool parsed = style_ == FtpListStyle::kMlsd ? ParseMlsxLine(line, entry)
                                                : ParseListLine(line, now_, entry);
    if (parsed) entries_.push_back(std::move(entry));
}

bool FtpListingReader::Add(const char* data, size_t size) {
    const char* end = data + size;
    for (const char* start = data; start < end;) {
        const char* lineEnd = static_cast<const char*>(memchr(start, '\n', end - start));
        const char* pieceEnd = lineEnd ? lineEnd : end;
        if (partial_.size() + (pieceEnd - start) > kMaxListLineBytes) return false;
        if (!lineEnd) {
            partial_.append(start, end);
            return true;
        }
        if (partial_.empty()) {
            ParseLine(start, lineEnd);
        } else {
            partial_.append(start, lineEnd);
            ParseLine(partial_.data(), partial_.data() + partial_.size());
            partial_.clear();
        }
        start = lineEnd + 1;
    }
    return true;
}

std::vector<FtpListEntry> FtpListingReader::Finish() {
    if (!partial_.empty()) ParseLine(partial_.data(), partial_.data() + partial_.size());
    partial_.clear();
    return std::move(entries_);
}

std::vector<FtpListEntry> FtpListingReader::TakeWholeLines() {
    partial_.clear();
    return std::move(entries_);
}

std::vector<FtpListEntry> ParseListing(const std::string& data, FtpListStyle style,
                                       const SYSTEMTIME& now) {
    FtpListingReader reader(style, now);
    reader.Add(data.data(), data.size());
    return reader.Finish();
}
