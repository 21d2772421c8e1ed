#include "support/DialogDriver.h"

namespace {

thread_local DialogDriver* activeDriver = nullptr;
const wchar_t kSeenMark[] = L"DialogDriver.seen";
const UINT kPollMs = 20;

}  // namespace

DialogDriver::DialogDriver(Action otherwise)
    : otherwise(std::move(otherwise)), timer(SetTimer(nullptr, 0, kPollMs, OnTimer)) {
    activeDriver = this;
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, timer);
    activeDriver = nullptr;
}

std::vector<std::wstring> DialogDriver::Seen() const {
    std::vector<std::wstring> seen;
    for (const Shown& each : shown) seen.push_back(each.title + L": " + each.text);
    return seen;
}

int DialogDriver::Count(const std::wstring& title) const {
    int count = 0;
    for (const Shown& each : shown) count += each.title == title;
    return count;
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (activeDriver) EnumWindows(OnWindow, reinterpret_cast<LPARAM>(activeDriver));
}

BOOL CALLBACK DialogDriver::OnWindow(HWND window, LPARAM driver) {
    wchar_t className[16] = L"";
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (IsWindowVisible(window) && process == GetCurrentProcessId() &&
        GetClassNameW(window, className, 16) && wcscmp(className, L"#32770") == 0 &&
        !GetPropW(window, kSeenMark))
        reinterpret_cast<DialogDriver*>(driver)->Handle(window);
    return TRUE;
}

// Marked first: an action that opens a message box lets the timer in again.
void DialogDriver::Handle(HWND window) {
    SetPropW(window, kSeenMark, reinterpret_cast<HANDLE>(1));
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    shown.push_back({title, ItemText(window, 0xFFFF)});  // a message box's text
    auto action = actions.find(title);
    const Action& act = action != actions.end() ? action->second : otherwise;
    if (act) act(window);
}

DialogDriver::Action Pressing(std::vector<int> ids) {
    return [ids](HWND dialog) {
        for (int id : ids) Click(dialog, id);
    };
}

HWND Item(HWND dialog, int id) {
    if (HWND item = GetDlgItem(dialog, id)) return item;
    std::pair<int, HWND> search = {id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM found) {
            auto* search = reinterpret_cast<std::pair<int, HWND>*>(found);
            if (GetDlgCtrlID(child) == search->first) search->second = child;
            return search->second ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Sent, so each click is handled before the next, also on another thread's prompt.
void Click(HWND dialog, int id) { SendMessageW(Item(dialog, id), BM_CLICK, 0, 0); }

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = L"";
    GetWindowTextW(Item(dialog, id), text, 512);
    return text;
}

void SetItemText(HWND dialog, int id, const std::wstring& text) {
    SetWindowTextW(Item(dialog, id), text.c_str());
}

bool IsItemEnabled(HWND dialog, int id) { return IsWindowEnabled(Item(dialog, id)); }

bool IsItemChecked(HWND dialog, int id) {
    return SendMessageW(Item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
