#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
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
    // A file moves in blocks of this size; only a read of no bytes marks its end.
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
    // Up to kLoginTries logins, after waits of 1, 2 and 4 s that a cancel cuts short.
    bool RecoverConnection() override;
    void FolderLeft(Node* node, bool returned) override;
    // Called once the remote side is back in the folder's parent.
    virtual void LocalFolderLeft() {}

    // A file or folder that could not be handled: unless cancelled, asks the
    // user (with the server's reason where it refused; Ignore All answers for
    // every later failure) and keeps the item for another try (Retry, the
    // first Ignore All) or drops it and counts it as failed. A lost connection
    // is logged in again and the item taken up again, unasked, where it
    // stopped; only when that fails, or keeps failing for the same item, does
    // the run end as failed: nothing after it could succeed.
    // The reason is taken where the call is made, before anything else is
    // sent; a caller that must send something first takes it earlier.
    void Failed(Node* node, const wchar_t* format, const wchar_t* subject,
                const std::wstring& reason = TakeServerReason());

    // A file that failed after the walk stopped, when no one is asked any more;
    // told to the notify window by its name and reason, as every failure is.
    void CountFailedFile(const wchar_t* name, const std::wstring& reason);

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

    // The one copy loop of both directions: blocks go from read to write until
    // read gives no bytes (the end), either fails, or the run is cancelled
    // (stopped). Each block moved counts in total and file and is reported.
    enum class CopyEnd { complete, stopped, failed };
    using BlockRead = std::function<bool(char* block, DWORD size, DWORD* count)>;
    using BlockWrite = std::function<bool(const char* block, DWORD count)>;
    struct ByteCounts {
        ULONGLONG& total;
        ULONGLONG& file;
        DWORD& elapsedMs;
    };
    CopyEnd CopyBlocks(const BlockRead& read, const BlockWrite& write, ByteCounts counts);

    WorkerState& engineState;

  private:
    static DWORD reportIntervalMs;
    static const unsigned kLoginTries = 3;
    static const DWORD kFirstLoginWaitMs = 1000;
    // A server that drops the connection whenever this item is tried would
    // otherwise keep the run going for ever.
    static const unsigned kInterruptionsPerItem = 3;

    bool WaitUnlessCancelled(DWORD ms);
    // The connection dropped under the item: true when it is back for another try.
    bool ResumeAfterDrop(Node* node);

    void SendFileNotice();
    // Puts the question to the notify window (as message) and waits for the
    // answer or the cancel; the fallback stands when none comes.
    PromptRequest::Reply Prompt(PromptRequest::Kind kind, const std::wstring& text, DWORD fallback,
                                UINT message);
    TransferAnswer Ask(const wchar_t* format, const wchar_t* subject, const std::wstring& reason);
    bool ConnectionAlive();
    void CountFailure(const Node* node, const wchar_t* subject, const std::wstring& reason);
    // The panel lists each item that failed for good, by name and reason.
    void TellFailure(const wchar_t* subject, const std::wstring& reason);

    const UINT errorMessage;
    FailureCounts& failures;
    std::unique_ptr<char[]> streamBuffer;
    std::unique_ptr<char[]> block;
    DWORD startTick;
    DWORD lastProgressTick;
    UINT noticeMessage;
    std::wstring noticePath;
    std::wstring noticeName;
    bool noticePending;
};
