#pragma once

#include <windows.h>

#include <string>

// While it lives, answers each message box that the calling thread shows by
// pressing the given button (IDYES, IDNO, IDOK), and keeps the box's text.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(int button);
    ~DialogAnswerer();

    int Count() const { return count; }
    const std::wstring& LastText() const { return lastText; }

  private:
    static LRESULT CALLBACK OnWindowEvent(int code, WPARAM wParam, LPARAM lParam);

    int button;
    int count = 0;
    std::wstring lastText;
    HHOOK hook;
};
