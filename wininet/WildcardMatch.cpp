#include "wininet/WildcardMatch.h"

bool HasWildcard(const std::wstring& pattern) {
    return pattern.find_first_of(L"*?") != std::wstring::npos;
}

bool MatchesWildcard(const std::wstring& pattern, const std::wstring& name) {
    // Greedy match that backtracks only to the last "*": linear for common patterns.
    size_t p = 0, n = 0, starP = std::wstring::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}
