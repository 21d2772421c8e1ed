#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ftp/FolderWalk.h"
#include "ftp/PromptRequest.h"
#include "ftp/ServerReason.h"
#include "ftp/TransferMessages.h"
#include "ftp/WorkerState.h"

// The folder walk as both transfer workers run it: on the worker's list, until
// it is empty, cancelled or aborted, with failures going to the user through
// the error prompt and progress going to the notify window.
class TransferWalk : public FolderWalk {
  public:
    // Blocks are 5120 bytes: a shorter read or fread marks the end of a file.
    static const DWORD kBlockSize = 5120;
    // Local streams buffer this much, so the blocks reach the disk in large
    // reads and writes instead of a system call or two per block.
    static const size_t kLocalBufferSize = 256 * 1024;

    TransferWalk(FtpFS& engine, WorkerState& state, UINT errorMessage, FailureCounts& failures);

    // Works the list until it is empty, cancelled or aborted; true when cancelled.
    bool Run();

    // The least time between two reports; the tests set 0 to see every one.
    static void SetReportInterval(DWORD ms) { reportIntervalMs = ms; }

  protected:
    static const wchar_t* ItemText(const Node* node) { return node->element->Name(); }

    bool Stopped() const override { return aborted || Cancelled(); }
    void FolderLeft(Node* node, bool returned) override;
    // Called once the remote side is back in the folder's parent.
    virtual void LocalFolderLeft() {}

    // A file or folder that could not be handled: unless cancelled, asks the
    // user (with the server's reason where it refused; Ignore All answers for
    // every later failure) and keeps the item for another try (Retry, the
    // first Ignore All) or drops it and counts it as failed. A lost connection
    // ends the run as failed instead: nothing after it could succeed.
    // The reason is taken where the call is made, before anything else is
    // sent; a caller that must send something first takes it earlier.
    void Failed(Node* node, const wchar_t* format, const wchar_t* subject,
                const std::wstring& reason = TakeServerReason());

    // A file that failed after the walk stopped, when no one is asked any more.
    void CountFailedFile();

    // The existing-file rule for a file already at the target (shown as
    // subject): existingResume, existingSkip, existingOverwrite, or a stored
    // code outside these (or existingPrompt for a question left unanswered),
    // which the caller fails like a refused file. Decided by the worker's copy
    // of the options, or else by the user, whose "don't ask again" answer
    // then holds for the rest of the run.
    DWORD ExistingFileAction(const wchar_t* subject);
    // The transfer flags for the file called name, decided in the same way;
    // binary once cancelled, and 0xFFFFFFFF for an unknown stored code.
    DWORD TransferType(const wchar_t* name);

    // The one stream buffer of the walk, lent to each local file in turn: a
    // fresh one per file would cost an allocation of its size every file.
    void BufferLocalStream(FILE* stream);

    bool Cancelled() const { return engineState.cancel; }
    void Notify(UINT message, WPARAM wParam, LPARAM lParam);
    // Names the file now under way (message, its path, its name). The notice
    // waits for the next due report and goes just before it, or before an
    // error prompt: a sent message per file would pace a tree of small files
    // by the window's updates, yet each update shows the current file.
    void AnnounceFile(UINT message, const wchar_t* path, const wchar_t* name);
    DWORD ElapsedMs() const { return GetTickCount() - startTick; }
    // Progress goes out when forced (the run's end, so that the counts shown
    // at Done are exact) and otherwise at most every 50 ms: a sent
    // message costs the worker a trip to the other thread, which a report per
    // block would pay 200000 times a GiB, and a report per file paces a tree
    // of small files by the window's updates. A due report sends the pending
    // file notice first.
    bool ProgressDue(bool force);
    virtual void ReportProgress(bool force) = 0;

    WorkerState& engineState;

  private:
    static DWORD reportIntervalMs;

    void SendFileNotice();
    // Puts the question to the notify window (as message) and waits for the
    // answer or the cancel; the fallback stands when none comes.
    PromptRequest::Reply Prompt(PromptRequest::Kind kind, const std::wstring& text, DWORD fallback,
                                UINT message);
    TransferAnswer Ask(const wchar_t* format, const wchar_t* subject, const std::wstring& reason);
    bool ConnectionAlive();
    void CountFailure(const Node* node);

    const UINT errorMessage;
    FailureCounts& failures;
    std::unique_ptr<char[]> streamBuffer;
    DWORD startTick;
    DWORD lastProgressTick;
    UINT noticeMessage;
    std::wstring noticePath;
    std::wstring noticeName;
    bool noticePending;
};
