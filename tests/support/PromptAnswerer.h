#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// A prompt that another thread shows (a transfer worker's), answered by
// clicking its controls in order: a check box toggles, a button closes it.
// inspect, when set, sees the prompt before the clicks.
struct PromptAnswer {
    std::wstring caption;
    std::vector<int> clicks;
    std::function<void(HWND prompt)> inspect = nullptr;
};

// Serves the calling thread's messages until done() holds, answering the
// prompts as they come up and counting them by caption. False on timeout.
bool PumpUntil(const std::function<bool()>& done, const std::vector<PromptAnswer>& prompts = {},
               std::map<std::wstring, int>* answered = nullptr, DWORD timeoutMs = 120000);
