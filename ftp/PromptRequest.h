#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "framework/OwnedHandle.h"

// A question a transfer worker puts to the user. The worker posts it to its
// view and waits for the answer or for its own cancel, whichever comes first;
// the view asks on the user-interface thread, where a "don't ask again"
// answer also reaches the options. Both sides hold it: an answer that comes
// after the worker gave up, or a question the view takes only then, touches
// nothing freed.
class PromptRequest {
  public:
    enum Kind { fileExists, transferType, transferFailure };
    using Shared = std::shared_ptr<PromptRequest>;
    struct Reply {
        DWORD value;
        bool keep;  // "don't ask again" was ticked
    };

    // fallback stands for the answer when none comes.
    PromptRequest(Kind kind, std::wstring text, DWORD fallback);
    PromptRequest(const PromptRequest&) = delete;
    PromptRequest& operator=(const PromptRequest&) = delete;

    // The worker's side: posts the request to window as message and waits.
    // The fallback, never kept, when the window cannot be reached or cancel
    // (an event) is set first.
    static Reply Ask(const Shared& request, HWND window, UINT message, HANDLE cancel);

    // The view's side: the request a posted message carries, taken over once.
    static Shared Take(LPARAM posted);
    Kind GetKind() const { return kind; }
    const std::wstring& GetText() const { return text; }
    DWORD GetFallback() const { return fallback; }
    // The worker no longer waits, or its run is cancelled: no one to ask for.
    bool IsAbandoned() const;
    // The first answer counts; the worker goes on at once.
    void Answer(DWORD value, bool keep);

  private:
    const Kind kind;
    const std::wstring text;
    const DWORD fallback;
    std::atomic<DWORD> answer;
    std::atomic<bool> keepAnswer;
    std::atomic<bool> answered;
    std::atomic<bool> abandoned;
    OwnedHandle answeredEvent;
    // The worker's cancel event, held here too: the request may outlive the worker.
    OwnedHandle cancelEvent;
};
