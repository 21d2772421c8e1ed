#include "support/PromptAnswerer.h"

#include "support/GuiApp.h"

namespace {

// The clicks are sent, so each is handled before the next; the prompt's
// thread may send back (to re-enable its owner) while this one waits.
void Answer(HWND prompt, const PromptAnswer& answer) {
    if (answer.inspect) answer.inspect(prompt);
    for (int id : answer.clicks) SendMessageW(GetDlgItem(prompt, id), BM_CLICK, 0, 0);
    while (IsWindow(prompt)) {
        PumpMessages();
        Sleep(1);
    }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, const std::vector<PromptAnswer>& prompts,
               std::map<std::wstring, int>* answered, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
        for (const PromptAnswer& prompt : prompts) {
            HWND window = FindWindowW(L"#32770", prompt.caption.c_str());
            if (!window || !IsWindowVisible(window)) continue;
            Answer(window, prompt);
            if (answered) ++(*answered)[prompt.caption];
        }
    }
    PumpMessages();
    return true;
}
