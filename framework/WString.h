#pragma once

// A wide-character string owning one exactly-sized heap buffer, or null.
// Null is a real state (an unset string); callers test for it themselves.
class WString {
  public:
    WString(const wchar_t* source = nullptr);
    WString(const WString& other);
    virtual ~WString();

    WString& operator=(const wchar_t* source);
    WString& operator=(const WString& other);

    wchar_t* GetText() { return text; }
    const wchar_t* GetText() const { return text; }

  private:
    static wchar_t* Duplicate(const wchar_t* source);

    wchar_t* text;
};
