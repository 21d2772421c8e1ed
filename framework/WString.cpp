#include "framework/WString.h"

#include <cwchar>

WString::WString(const wchar_t* source) : text(Duplicate(source)) {}

WString::WString(const WString& other) : text(Duplicate(other.text)) {}

WString::~WString() { delete[] text; }

WString& WString::operator=(const wchar_t* source) {
    // Copy before freeing: the source may be our own buffer or point into it.
    wchar_t* copy = Duplicate(source);
    delete[] text;
    text = copy;
    return *this;
}

WString& WString::operator=(const WString& other) { return *this = other.text; }

wchar_t* WString::Duplicate(const wchar_t* source) {
    if (!source) return nullptr;
    size_t length = wcslen(source);
    wchar_t* copy = new wchar_t[length + 1];
    wmemcpy(copy, source, length + 1);
    return copy;
}
