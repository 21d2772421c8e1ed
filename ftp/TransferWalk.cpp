#include "ftp/TransferWalk.h"

#include <cwchar>

#include "framework/TextUtil.h"
#include "ftp/TransferMessages.h"

// Ten reports a second still count smoothly; each repaints a dozen of the
// panel's texts, which at twenty a second took a tenth of a small-file run.
DWORD TransferWalk::reportIntervalMs = 100;

TransferWalk::TransferWalk(RemoteFS& ftp, WorkerState& state, UINT message, FailureCounts& counts,
                           TransferLanes::Direction direction)
    : FolderWalk(ftp, state.items),
      engineState(state),
      errorMessage(message),
      failures(counts),
      startTick(GetTickCount()),
      lastProgressTick(GetTickCount() - reportIntervalMs),  // the first report is due at once
      noticeMessage(0),
      noticeSize(0),
      noticePending(false),
      copying(false),
      filesFound(0),
      bytesFound(0),
      listing(true) {
    StartLanes(direction);
}

TransferWalk::~TransferWalk() { EndLanes(); }

bool TransferWalk::Run() {
    CountSelection();
    Walk(engineState.savedDir);
    // A stopped walk leaves its held work to be settled here, with no more tries.
    SettleHeldWork();
    FinishLanes();
    // The times set unanswered are in place by Done.
    if (!Cancelled()) engine.Settle();
    // Every connection has ended: the counts at Done are exact.
    ReportProgress(true);
    // A cancel reconnects and goes back by itself; the connection is not ours then.
    if (!Cancelled()) ReturnToStart();
    return Cancelled();
}

// The connections are made only when the first file is handed to them.
void TransferWalk::StartLanes(TransferLanes::Direction direction) {
    DWORD connections = engineState.rules.connections;
    if (connections < 2) return;
    if (connections > kMaxTransferConnections) connections = kMaxTransferConnections;
    lanes.reset(new TransferLanes(engine, direction, connections - 1, engineState.cancel));
    engineState.SetLanes(lanes.get());
}

void TransferWalk::EndLanes() {
    engineState.SetLanes(nullptr);
    lanes.reset();
}

void TransferWalk::CountSelection() {
    for (Node* node = work.GetHead(); node; node = node->next) {
        if (node->element->IsFolder()) continue;
        ++filesFound;
        bytesFound += node->element->size;
    }
}

void TransferWalk::EntryListed(bool folder, ULONGLONG size) {
    if (folder) return;
    ++filesFound;
    bytesFound += size;
}

// Once no folder waits to be listed none can come: the scan stops then.
bool TransferWalk::StillListing() {
    if (!listing) return false;
    size_t folders = 0;
    for (Node* node = work.GetHead(); node; node = node->next)
        if (node->element->IsFolder()) ++folders;
    listing = folders > Depth();
    return listing;
}

std::unique_ptr<FileJob> TransferWalk::NewJob(const Node* node, const wchar_t* remoteName,
                                              const wchar_t* localPath, DWORD transferFlags,
                                              bool resume) {
    std::unique_ptr<FileJob> job(new FileJob);
    job->remoteFolder = CurrentRemotePath();
    job->remoteName = remoteName;
    job->localPath = localPath;
    job->size = node->element->size;
    job->transferFlags = transferFlags;
    job->resume = resume;
    job->continuable = resume || node->element->continuable;
    job->keepTime = KeptTime(node);
    job->askTime = AsksTimeAtOpen(node);
    return job;
}

// Once every file of the run is known, no more connections log in than the
// other files could use: none for a run of one file, which a server that
// counts sessions would otherwise see. The list is scanned for folders still
// to list only while so few files are known that it could matter.
bool TransferWalk::HandOff(std::unique_ptr<FileJob>& job) {
    if (!lanes) return false;
    bool fewFiles = filesFound <= kMaxTransferConnections && !StillListing();
    if (fewFiles && filesFound < 2) return false;
    return lanes->Offer(job, fewFiles ? filesFound - 1 : kMaxTransferConnections, noticeTarget);
}

void TransferWalk::AwaitTarget(const wchar_t* remoteName, const wchar_t* localPath) {
    if (!lanes) return;
    FileJob target;
    target.remoteFolder = CurrentRemotePath();
    target.remoteName = remoteName;
    target.localPath = localPath;
    lanes->AwaitTarget(target);
}

void TransferWalk::ServeLaneFailures() {
    while (lanes && !Stopped()) {
        std::unique_ptr<FileJob> job = lanes->TakeFailed();
        if (!job) return;
        AnswerLaneFailure(std::move(job));
    }
}

// As Failed answers for the walk's own files: Retry and the first Ignore All
// send the file to the connections again.
void TransferWalk::AnswerLaneFailure(std::unique_ptr<FileJob> job) {
    if (engineState.ignoreAll) {
        CountFailedJob(*job);
        return;
    }
    switch (Ask(FileFailureFormat(), JobSubject(*job), job->reason)) {
        case answerIgnore:
            CountFailedJob(*job);
            break;
        case answerAbort:
            CountFailedJob(*job);
            aborted = true;
            break;
        case answerIgnoreAll:
            engineState.ignoreAll = true;
            lanes->Retry(std::move(job));
            break;
        default:
            lanes->Retry(std::move(job));
            break;
    }
}

void TransferWalk::CountFailedJob(const FileJob& job) {
    CountFailedFile(JobSubject(job), job.reason);
}

void TransferWalk::FinishLanes() {
    if (!lanes) return;
    while (!Cancelled()) {
        ServeLaneFailures();
        if (Stopped()) lanes->StopTaking();
        std::wstring here(CurrentRemotePath());
        if (lanes->RunQueued(engine, engineState.remoteFile, here,
                             [this] { ReportProgress(false); }) != here)
            engine.SetCurrentDir(here.c_str());
        if (lanes->WaitUntilDrained(reportIntervalMs ? reportIntervalMs : 1)) break;
        ReportProgress(false);
    }
    // Failures found after a stop are only counted.
    for (auto job = lanes->TakeFailed(); job; job = lanes->TakeFailed())
        if (!Cancelled()) CountFailedJob(*job);
    lanes->End();
}

void TransferWalk::AddRunFigures(DWORD& filesDone, ULONGLONG& totalBytes, ULONGLONG& fileBytes,
                                 ULONGLONG& fileSize, RunTotals& run) {
    run.filesFound = filesFound;
    run.bytesFound = bytesFound;
    run.stillListing = StillListing();
    run.connections = 1;
    ConnectionFigures& own = run.lines[0];
    CopyTextCut(own.file, copying ? noticeName.c_str() : L"");
    own.fileBytes = copying ? fileBytes : 0;
    own.fileSize = copying ? fileSize : 0;
    if (lanes) lanes->AddFigures(filesDone, totalBytes, run);
    FollowNamedFile(run, fileBytes, fileSize);
}

// The file bar follows the file the panel names: when another connection moves
// it, that connection's figures; before one takes it, empty; after, whole.
void TransferWalk::FollowNamedFile(const RunTotals& run, ULONGLONG& fileBytes,
                                   ULONGLONG& fileSize) const {
    if (noticeTarget.empty()) return;
    for (DWORD line = 0; line < run.connections; ++line)
        if (wcsncmp(run.lines[line].file, noticeName.c_str(), MAX_PATH - 1) == 0) {
            fileBytes = run.lines[line].fileBytes;
            fileSize = run.lines[line].fileSize;
            return;
        }
    fileBytes = lanes->Holds(noticeTarget) ? 0 : noticeSize;
    fileSize = noticeSize;
}

void TransferWalk::FolderLeft(Node* node, bool) {
    LocalFolderLeft();
    DropItem(node);
}

DWORD TransferWalk::ExistingFileAction(const wchar_t* subject, const KnownTime& source,
                                       const KnownTime& target) {
    TransferRules& rules = engineState.rules;
    DWORD action = rules.existingFile;
    if (action == existingPrompt) {
        wchar_t text[WorkerState::kPathCapacity + 64];
        _snwprintf_s(text, _TRUNCATE, L"File %s exists.   What would you like to do?", subject);
        PromptRequest::Reply reply =
            Prompt(PromptRequest::fileExists, text, existingPrompt, WM_APP_TRANSFER_PROMPT);
        if (reply.keep) rules.existingFile = reply.value;
        action = reply.value;
    }
    if (action != existingIfNewer) return action;
    return SourceIsNewer(source, target) ? existingOverwrite : existingSkip;
}

DWORD TransferWalk::TransferType(const wchar_t* name) {
    TransferRules& rules = engineState.rules;
    DWORD code = rules.transferType;
    if (code == transferPrompt && Cancelled()) code = transferBinary;
    if (code == transferPrompt) {
        std::wstring text = std::wstring(L"Please select a transfer type for ") + name + L"...";
        PromptRequest::Reply reply =
            Prompt(PromptRequest::transferType, text, transferBinary, WM_APP_TRANSFER_PROMPT);
        code = reply.value;
        if (reply.keep) rules.transferType = code;
    }
    return TransferRules::FlagsOf(code);
}

void TransferWalk::Failed(Node* node, const wchar_t* format, const wchar_t* subject,
                          const std::wstring& reason) {
    if (Cancelled()) return;
    if (reconnected || !engine.StillAnswers()) {
        if (ResumeAfterDrop(node) || Cancelled()) return;
        if (!engine.StillAnswers()) {
            failures.runFailed = 1;
            aborted = true;
            return;
        }
    }
    if (engineState.ignoreAll) {
        CountFailure(node, subject, reason);
        DropItem(node);
        return;
    }
    switch (Ask(format, subject, reason)) {
        case answerIgnore:
            CountFailure(node, subject, reason);
            DropItem(node);
            break;
        case answerAbort:
            CountFailure(node, subject, reason);
            aborted = true;
            break;
        case answerIgnoreAll:
            engineState.ignoreAll = true;
            break;
        default:
            break;
    }
}

bool TransferWalk::ResumeAfterDrop(Node* node) {
    if (node->element->interruptions++ >= kInterruptionsPerItem) return false;
    return reconnected || RecoverConnection();
}

bool TransferWalk::RecoverConnection() {
    DWORD waitMs = kFirstLoginWaitMs;
    for (unsigned tries = 0; tries < kLoginTries; ++tries, waitMs *= 2) {
        if (!WaitUnlessCancelled(waitMs)) return false;
        if (SUCCEEDED(engine.Reconnect(CurrentRemotePath()))) return true;
    }
    return false;
}

// The cancel sets its event after the flag: the wait ends the moment it comes.
bool TransferWalk::WaitUnlessCancelled(DWORD ms) {
    HANDLE cancelled = engineState.cancelEvent.Get();
    if (!cancelled || WaitForSingleObject(cancelled, ms) == WAIT_FAILED) Sleep(ms);
    return !Cancelled();
}

void TransferWalk::CountFailedFile(const wchar_t* name, const std::wstring& reason) {
    ++failures.files;
    TellFailure(name, reason);
}

void TransferWalk::CountFailure(const Node* node, const wchar_t* subject,
                                const std::wstring& reason) {
    if (node->element->IsFolder())
        ++failures.folders;
    else
        ++failures.files;
    TellFailure(subject, reason);
}

void TransferWalk::TellFailure(const wchar_t* subject, const std::wstring& reason) {
    UINT message = errorMessage == WM_APP_DOWNLOAD_ERROR ? WM_APP_DOWNLOAD_ITEM_FAILED
                                                         : WM_APP_UPLOAD_ITEM_FAILED;
    Notify(message, reinterpret_cast<WPARAM>(subject), reinterpret_cast<LPARAM>(reason.c_str()));
}

TransferAnswer TransferWalk::Ask(const wchar_t* format, const wchar_t* subject,
                                 const std::wstring& reason) {
    wchar_t failure[RemoteFS::kTextCapacity + 64];
    _snwprintf_s(failure, _TRUNCATE, format, subject);
    std::wstring text = WithServerReason(failure, reason);
    // A cancel may have come while the failure was found: ask nothing then.
    if (Cancelled()) return answerIgnore;
    // Unanswered (the view gone, a cancel meanwhile) the run stops: a Retry would ask for ever.
    return static_cast<TransferAnswer>(
        Prompt(PromptRequest::transferFailure, text, answerAbort, errorMessage).value);
}

PromptRequest::Reply TransferWalk::Prompt(PromptRequest::Kind kind, const std::wstring& text,
                                          DWORD fallback, UINT message) {
    SendFileNotice();
    auto request = std::make_shared<PromptRequest>(kind, text, fallback);
    return PromptRequest::Ask(request, engineState.notifyWindow, message,
                              engineState.cancelEvent.Get());
}

void TransferWalk::Notify(UINT message, WPARAM wParam, LPARAM lParam) {
    if (engineState.notifyWindow) SendMessageW(engineState.notifyWindow, message, wParam, lParam);
}

void TransferWalk::ReportNameMapped(UINT message, const std::wstring& remote,
                                    const std::wstring& local) {
    if (remote != local)
        Notify(message, reinterpret_cast<WPARAM>(remote.c_str()),
               reinterpret_cast<LPARAM>(local.c_str()));
}

void TransferWalk::AnnounceFile(UINT message, const wchar_t* path, const wchar_t* name,
                                ULONGLONG size) {
    noticeMessage = message;
    noticePath = path;
    noticeName = name;
    noticeSize = size;
    noticeTarget.clear();
    noticePending = true;
    ProgressDue(false);
}

void TransferWalk::SendFileNotice() {
    if (!noticePending) return;
    noticePending = false;
    Notify(noticeMessage, reinterpret_cast<WPARAM>(noticePath.c_str()),
           reinterpret_cast<LPARAM>(noticeName.c_str()));
}

bool TransferWalk::ProgressDue(bool force) {
    DWORD now = GetTickCount();
    if (!force && now - lastProgressTick < reportIntervalMs) return false;
    lastProgressTick = now;
    SendFileNotice();
    return true;
}

TransferWalk::CopyEnd TransferWalk::CopyBlocks(const BlockRead& read, const BlockWrite& write,
                                               ByteCounts counts) {
    if (!block) block.reset(new char[kCopyBlockBytes]);
    auto moved = [this, &counts](DWORD count) {
        counts.total += count;
        counts.file += count;
        counts.elapsedMs = ElapsedMs();
        ReportProgress(false);
    };
    return CopyInBlocks(block.get(), kCopyBlockBytes,
                        {read, write, [this] { return !Cancelled(); }, moved});
}
