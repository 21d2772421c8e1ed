#pragma once

#include <windows.h>

#include <deque>
#include <memory>

#include "ftp/PromptRequest.h"

class BaseDlg;
class BaseWnd;

// Asks the transfer workers' questions on the user-interface thread: one
// modal prompt at a time, owned by the window the workers report to, the
// others waiting their turn. A "don't ask again" answer goes into the options
// here, on this thread. Shared: an open prompt's message loop keeps its host,
// so that the window may be deleted meanwhile; after Close nothing is shown
// and every question left gets its fallback.
class TransferPromptHost : public std::enable_shared_from_this<TransferPromptHost> {
  public:
    explicit TransferPromptHost(BaseWnd* owner);
    TransferPromptHost(const TransferPromptHost&) = delete;
    TransferPromptHost& operator=(const TransferPromptHost&) = delete;

    // The messages that carry a worker's question (PromptRequest).
    static bool IsPromptMessage(UINT message);
    // Takes the question a posted message carries and asks it, now or after the open prompt.
    void Take(LPARAM posted);
    // Ends the open prompt unanswered.
    void Close();

  private:
    void AskWaiting();
    void AskOne(PromptRequest& request);
    DWORD Show(const PromptRequest& request, bool* keep);
    INT_PTR RunModal(BaseDlg& dialog, int resourceId);
    static void KeepInOptions(PromptRequest::Kind kind, DWORD value);

    BaseWnd* const owner;
    std::deque<PromptRequest::Shared> waiting;
    PromptRequest::Shared current;
    BaseDlg* open;
    bool closed;
};

// The window's hold on its host: closes it when the window object goes.
class TransferPrompts {
  public:
    explicit TransferPrompts(BaseWnd* owner);
    ~TransferPrompts();
    TransferPrompts(const TransferPrompts&) = delete;
    TransferPrompts& operator=(const TransferPrompts&) = delete;

    // True when the message was a worker's question, which is then asked. The
    // window object may be gone when this returns: its caller returns at once.
    bool Handle(UINT message, LPARAM lParam);
    void Close() { host->Close(); }

  private:
    std::shared_ptr<TransferPromptHost> host;
};
