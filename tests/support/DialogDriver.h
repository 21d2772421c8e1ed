#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// While it lives, watches the dialogs and message boxes that the calling
// thread shows, from whatever message loop runs (modal, modeless or a message
// box's own): each new one is noted as "title: text" and handed once to the
// action given for its title, which may read and press its controls.
class DialogDriver {
  public:
    using Action = std::function<void(HWND)>;

    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // An empty action stops acting on that title.
    void On(const std::wstring& title, Action action) { actions[title] = std::move(action); }
    const std::vector<std::wstring>& Seen() const { return seen; }

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK OnWindow(HWND window, LPARAM driver);
    void Handle(HWND window);

    std::map<std::wstring, Action> actions;
    std::vector<std::wstring> seen;
    UINT_PTR timer;
};

// Presses a button as a click would.
void Click(HWND dialog, int id);
std::wstring ItemText(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
bool IsItemChecked(HWND dialog, int id);
