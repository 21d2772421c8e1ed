#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// While it lives, acts on the dialogs and message boxes this process shows, the
// workers' prompts too, from whatever loop the calling thread runs (modal, a
// message box's own, PumpUntil): each new one is noted by title and text and
// handed once to the action given for its title, or else to the default action.
class DialogDriver {
  public:
    using Action = std::function<void(HWND)>;

    explicit DialogDriver(Action otherwise = nullptr);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // An empty action stops acting on that title.
    void On(const std::wstring& title, Action action) { actions[title] = std::move(action); }
    // Each one seen as "title: text".
    std::vector<std::wstring> Seen() const;
    int Count() const { return static_cast<int>(shown.size()); }
    int Count(const std::wstring& title) const;
    std::wstring LastText() const { return shown.empty() ? L"" : shown.back().text; }

  private:
    struct Shown {
        std::wstring title, text;
    };

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK OnWindow(HWND window, LPARAM driver);
    void Handle(HWND window);

    std::map<std::wstring, Action> actions;
    Action otherwise;
    std::vector<Shown> shown;
    UINT_PTR timer;
};

// Clicks the controls in order, as taps would: a check box toggles, a button closes.
DialogDriver::Action Pressing(std::vector<int> ids);
// A control of the dialog or of a page inside it (a tab strip's).
HWND Item(HWND dialog, int id);
void Click(HWND dialog, int id);
std::wstring ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::wstring& text);
bool IsItemEnabled(HWND dialog, int id);
bool IsItemChecked(HWND dialog, int id);
