#include "ftp/PromptRequest.h"

#include <utility>

PromptRequest::PromptRequest(Kind what, std::wstring question, DWORD unanswered)
    : kind(what),
      text(std::move(question)),
      fallback(unanswered),
      answer(unanswered),
      keepAnswer(false),
      answered(false),
      abandoned(false),
      answeredEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

// The message carries a reference of its own, so the request lives until the
// view took it, whatever the worker does meanwhile.
PromptRequest::Reply PromptRequest::Ask(const Shared& request, HWND window, UINT message,
                                        HANDLE cancel) {
    HANDLE process = GetCurrentProcess(), held = nullptr;
    if (cancel && DuplicateHandle(process, cancel, process, &held, 0, FALSE, DUPLICATE_SAME_ACCESS))
        request->cancelEvent.Reset(held);
    auto* posted = new Shared(request);
    if (!request->answeredEvent || !window ||
        !PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(posted))) {
        delete posted;
        return Reply{request->fallback, false};
    }
    HANDLE waits[] = {request->answeredEvent.Get(), cancel};
    DWORD woken = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0) return Reply{request->answer, request->keepAnswer};
    request->abandoned = true;
    return Reply{request->fallback, false};
}

bool PromptRequest::IsAbandoned() const {
    return abandoned || (cancelEvent && WaitForSingleObject(cancelEvent.Get(), 0) == WAIT_OBJECT_0);
}

PromptRequest::Shared PromptRequest::Take(LPARAM posted) {
    std::unique_ptr<Shared> taken(reinterpret_cast<Shared*>(posted));
    return taken ? std::move(*taken) : nullptr;
}

void PromptRequest::Answer(DWORD value, bool keep) {
    if (answered.exchange(true)) return;
    answer = value;
    keepAnswer = keep;
    SetEvent(answeredEvent.Get());
}
