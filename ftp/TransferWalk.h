#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "ftp/BlockCopy.h"
#include "ftp/FolderWalk.h"
#include "ftp/PromptRequest.h"
#include "ftp/ServerReason.h"
#include "ftp/TransferLanes.h"
#include "ftp/TransferMessages.h"
#include "ftp/WorkerState.h"

// The folder walk as both transfer workers run it: on the worker's list, until
// it is empty, cancelled or aborted, with failures going to the user through
// the error prompt and progress going to the notify window.
class TransferWalk : public FolderWalk {
  public:
    TransferWalk(RemoteFS& engine, WorkerState& state, UINT errorMessage, FailureCounts& failures,
                 TransferLanes::Direction direction);
    ~TransferWalk() override;

    // Works the list until it is empty, cancelled or aborted; true when cancelled.
    bool Run();

    // The least time between two reports; the tests set 0 to see every one.
    static void SetReportInterval(DWORD ms) { reportIntervalMs = ms; }

  protected:
    // The walk's own line names its file from the first command to the close,
    // as the other connections' lines do.
    struct OwnFileShown {
        explicit OwnFileShown(TransferWalk& walk) : walk(walk) { walk.copying = true; }
        ~OwnFileShown() { walk.copying = false; }
        TransferWalk& walk;
    };
    static const wchar_t* ItemText(const Node* node) { return node->element->Name(); }

    bool Stopped() const override { return aborted || Cancelled(); }
    void BetweenSteps() override { ServeLaneFailures(); }
    void EntryListed(bool folder, ULONGLONG size) override;
    // A selected file whose size became known only now.
    void SelectedFileSized(ULONGLONG size) { bytesFound += size; }

    // The run's other connections, when the options give it more than one
    // and the run more than one file: a decided file goes to one of them when
    // one is free (true), else the walk moves it itself. Their failures come
    // to the walk's prompt between its steps, and the walk waits for them
    // before it ends.
    bool HasLanes() const { return lanes != nullptr; }
    std::unique_ptr<FileJob> NewJob(const Node* node, const wchar_t* remoteName,
                                    const wchar_t* localPath, DWORD transferFlags, bool resume);
    bool HandOff(std::unique_ptr<FileJob>& job);
    // Waits while another connection still moves a file of that name and path.
    void AwaitTarget(const wchar_t* remoteName, const wchar_t* localPath);
    // What a failed file of another connection is called in its prompt, and how.
    virtual const wchar_t* JobSubject(const FileJob& job) const = 0;
    virtual const wchar_t* FileFailureFormat() const = 0;
    // Sends a report of either direction's counters (as message): a copy that
    // adds the other connections' files, bytes and lines and the run's totals
    // found so far, which the panel reads while they go on.
    template <typename Counters>
    void SendReport(Counters shown, UINT message) {
        AddRunFigures(shown.filesDone, shown.totalBytes, shown.currentFileBytes,
                      shown.currentFileSize, shown.run);
        shown.elapsedMs = ElapsedMs();
        Notify(message, reinterpret_cast<WPARAM>(&shown), 0);
    }
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
    // "If newer" (the rule's or the answer's) comes back as existingOverwrite
    // or existingSkip, by the source's and the target's times.
    DWORD ExistingFileAction(const wchar_t* subject, const KnownTime& source,
                             const KnownTime& target);
    // The time the item's copy gets: its source's, unless the options keep none.
    FileStamp KeptTime(const Node* node) const {
        return engineState.rules.keepTimes ? node->element->time.utc : 0;
    }
    // A time to keep that is not to the second (a LIST's) is asked for with
    // the file's open, which costs no round trip of its own.
    bool AsksTimeAtOpen(const Node* node) const {
        return engineState.rules.keepTimes && !node->element->time.exact;
    }
    // The transfer flags for the file called name, decided in the same way;
    // binary once cancelled, and 0xFFFFFFFF for an unknown stored code.
    DWORD TransferType(const wchar_t* name);

    bool Cancelled() const { return engineState.cancel; }
    void Notify(UINT message, WPARAM wParam, LPARAM lParam);
    // Names the file now under way (message, its path, its name). The notice
    // waits for the next due report and goes just before it, or before an
    // error prompt: a sent message per file would pace a tree of small files
    // by the window's updates, yet each update shows the current file.
    void AnnounceFile(UINT message, const wchar_t* path, const wchar_t* name, ULONGLONG size);
    // Tells the notify window (as message: wParam the remote name, lParam the
    // local one) that an entry went across under a mapped name.
    void ReportNameMapped(UINT message, const std::wstring& remote, const std::wstring& local);
    DWORD ElapsedMs() const { return GetTickCount() - startTick; }
    // Progress goes out when forced (the run's end, so that the counts shown
    // at Done are exact) and otherwise at most every 100 ms: a sent
    // message costs the worker a trip to the other thread, which a report per
    // block would pay 4,096 times a GiB, and a report per file paces a tree
    // of small files by the window's updates. A due report sends the pending
    // file notice first.
    bool ProgressDue(bool force);
    virtual void ReportProgress(bool force) = 0;

    // The copy loop on the walk's own connection: each block moved counts in
    // total and file and is reported; a cancel stops it.
    using CopyEnd = ::CopyEnd;
    struct ByteCounts {
        ULONGLONG& total;
        ULONGLONG& file;
        DWORD& elapsedMs;
    };
    CopyEnd CopyBlocks(const BlockRead& read, const BlockWrite& write, ByteCounts counts);

    WorkerState& engineState;

  private:
    void AddRunFigures(DWORD& filesDone, ULONGLONG& totalBytes, ULONGLONG& fileBytes,
                       ULONGLONG& fileSize, RunTotals& run);
    void FollowNamedFile(const RunTotals& run, ULONGLONG& fileBytes, ULONGLONG& fileSize) const;
    void StartLanes(TransferLanes::Direction direction);
    void CountSelection();
    void ServeLaneFailures();
    void AnswerLaneFailure(std::unique_ptr<FileJob> job);
    void CountFailedJob(const FileJob& job);
    // The list is done: waits for the other connections, asks about their
    // failures and moves here what no connection is left to take.
    void FinishLanes();
    void EndLanes();
    bool StillListing();

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
    void CountFailure(const Node* node, const wchar_t* subject, const std::wstring& reason);
    // The panel lists each item that failed for good, by name and reason.
    void TellFailure(const wchar_t* subject, const std::wstring& reason);

    const UINT errorMessage;
    FailureCounts& failures;
    std::unique_ptr<char[]> block;
    DWORD startTick;
    DWORD lastProgressTick;
    UINT noticeMessage;
    std::wstring noticePath;
    std::wstring noticeName;
    ULONGLONG noticeSize;
    // Of the named file, when it went to another connection; empty while it did not.
    std::wstring noticeTarget;
    bool noticePending;
    bool copying;  // the walk's own connection moves a file
    std::unique_ptr<TransferLanes> lanes;
    DWORD filesFound;
    ULONGLONG bytesFound;
    bool listing;  // folders on the list wait to be listed
};
