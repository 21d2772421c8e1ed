#include "ftp/DownloadWorker.h"

#include <cwchar>
#include <memory>
#include <string>
#include <unordered_map>

#include "framework/FileSize.h"
#include "framework/LocalPath.h"
#include "framework/TextUtil.h"
#include "ftp/EntryName.h"
#include "ftp/LocalNameMap.h"
#include "ftp/PartFile.h"
#include "ftp/ServerReason.h"
#include "ftp/TransferMessages.h"

namespace {

const wchar_t kFileFailure[] = L"Can't download file %s";
const wchar_t kFolderFailure[] = L"Can't download folder %s";
const wchar_t kLoopFailure[] = L"Can't download folder %s: it leads back into a folder above it";
const wchar_t kDepthFailure[] = L"Can't download folder %s: it lies more than 32 folders deep";
// Followed links could lead down for ever (a server may list a link to a
// folder above as a folder again at every level); real trees stay shallower.
const size_t kMaxDepth = 32;

// An existing folder is simply reused.
bool MakeLocalFolder(const wchar_t* path) {
    if (CreateDirectoryW(path, nullptr)) return true;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

DownloadWorker::DownloadWorker(RemoteFS& ftp, WorkerState& state,
                               DownloadCounters& downloadCounters, const wchar_t* targetDir)
    : TransferWalk(ftp, state, WM_APP_DOWNLOAD_ERROR, downloadCounters.failures,
                   TransferLanes::Direction::download),
      counters(downloadCounters),
      lastFlushTick(GetTickCount()),
      localFolder(),
      localFile(),
      partFile(),
      refusal(nullptr) {
    CopyText(localFolder, targetDir);
    counters = DownloadCounters();
    folderNames.emplace_back();
    folderNames.back().Read(localFolder);
}

// The path a remote entry gets in the local folder, under its local name (kept
// in localName); false (and the path shown in the prompt, cut for display
// only) when the name is refused or the path too long.
bool DownloadWorker::LocalPathFor(const wchar_t* name,
                                  wchar_t (&path)[WorkerState::kPathCapacity]) {
    localName = LocalNameFor(name);
    if (!localName.empty() && JoinPath(path, localFolder, localName.c_str())) return true;
    CopyTextCut(path,
                JoinedPath(localFolder, localName.empty() ? name : localName.c_str()).GetText());
    return false;
}

// The local folder is made before the listing is read, so that a listing
// that fails leaves nothing half done but an empty local folder.
void DownloadWorker::EnterFolder(Node* node) {
    const wchar_t* name = ItemText(node);
    wchar_t folderPath[WorkerState::kPathCapacity];
    refusal = nullptr;
    if (!LocalPathFor(name, folderPath) || !EnterRemoteFolder(node, name)) {
        Failed(node, refusal ? refusal : kFolderFailure, folderPath);
        return;
    }
    if (!MakeLocalFolder(folderPath) || !ListRemoteFolder()) {
        std::wstring reason = TakeServerReason();  // leaving sends a command of its own
        LeaveRemoteFolder();
        Failed(node, kFolderFailure, folderPath, reason);
        return;
    }
    parentLengths.push_back(wcslen(localFolder));
    CopyText(localFolder, folderPath);
    folderNames.emplace_back();
    folderNames.back().Read(localFolder);
    Notify(WM_APP_DOWNLOAD_FOLDER, reinterpret_cast<WPARAM>(localFolder),
           reinterpret_cast<LPARAM>(name));
    ReportNameMapped(WM_APP_DOWNLOAD_NAME_MAPPED, name, localName);
    ++counters.foldersEntered;
}

// A link to a folder may be followed, but never back up the walk's own way
// (a loop) and never without end.
bool DownloadWorker::MayEnter(const wchar_t*, const wchar_t* folderPath) {
    if (Depth() >= kMaxDepth)
        refusal = kDepthFailure;
    else if (IsOnWalkPath(folderPath))
        refusal = kLoopFailure;
    return refusal == nullptr;
}

void DownloadWorker::LocalFolderLeft() {
    localFolder[parentLengths.back()] = L'\0';
    parentLengths.pop_back();
    folderNames.pop_back();
}

void DownloadWorker::HandleFile(Node* node) {
    if (!LocalPathFor(ItemText(node), localFile) ||
        !CopyText(partFile, PartFileName(localFile).c_str())) {
        Failed(node, kFileFailure, localFile);
        return;
    }
    if (!node->element->sized) SizeSelectedFiles();
    // A file cut off by a lost connection goes on from what its part file holds.
    if (node->element->interruptions) {
        StartFile(node, node->element->continuable && RemoteFS::LocalFileExists(partFile));
        return;
    }
    AwaitTarget(ItemText(node), localFile);
    const LocalFolderNames& names = folderNames.back();
    if (!names.Holds(localName) && !names.Holds(PartFileName(localName.c_str()))) {
        StartFile(node, false);
        return;
    }
    // The file before may be this one's namesake (a listing may repeat a
    // name): its move comes before this file's target and part are looked at.
    if (SettleHeldWork()) return;
    if (!node->element->time.exact && RuleComparesTimes()) AskExactTime(node);
    bool resume = false;
    if (MayWriteLocalFile(node, &resume)) StartFile(node, resume);
}

// The rule may compare the source's time with a whole target's: without one
// there is nothing to compare. A time only kept is asked with the file's open.
bool DownloadWorker::RuleComparesTimes() const {
    const DWORD rule = engineState.rules.existingFile;
    bool compares = rule == existingIfNewer || rule == existingPrompt;
    return compares && RemoteFS::LocalFileExists(localFile);
}

// A LIST time is the server's clock to the minute, or a day alone: MDTM gives
// it to the second in UTC. A server that gives none leaves the listed one.
void DownloadWorker::AskExactTime(Node* node) {
    KnownTime asked = engine.ServerFileTime(ItemText(node));
    if (asked.exact) node->element->time = asked;
}

// Asks the existing-file rule about the target, or about the part file a
// cut transfer left; a skipped file is dropped here, an unknown code goes to
// the error prompt.
bool DownloadWorker::MayWriteLocalFile(Node* node, bool* resume) {
    if (Cancelled()) return false;
    bool targetThere = RemoteFS::LocalFileExists(localFile);
    // Only a whole target has a time to compare: a part file is always taken up.
    KnownTime target = targetThere ? LocalTimeOf(localFile) : KnownTime();
    DWORD action =
        ExistingFileAction(targetThere ? localFile : partFile, node->element->time, target);
    *resume = action == existingResume;
    if (action == existingOverwrite || action == existingResume) return true;
    if (action == existingSkip)
        DropItem(node);
    else
        Failed(node, kFileFailure, localFile);
    return false;
}

// The file goes to another connection of the run when one is free; else it
// is moved here.
void DownloadWorker::StartFile(Node* node, bool resume) {
    const wchar_t* name = ItemText(node);
    AnnounceFile(WM_APP_DOWNLOAD_FILE, localFile, name, node->element->size);
    if (Cancelled()) return;
    DWORD type = TransferType(name);
    if (resume) node->element->continuable = true;
    if (!HandOffFile(node, type, resume)) OpenAndCopy(node, type, resume);
}

// The other connection writes the part file and moves it as this walk would;
// the folder's names count the file as there from now on.
bool DownloadWorker::HandOffFile(Node* node, DWORD type, bool resume) {
    if (!HasLanes()) return false;
    LocalFolderNames& names = folderNames.back();
    std::wstring part = PartFileName(localName.c_str());
    std::unique_ptr<FileJob> job = NewJob(node, ItemText(node), localFile, type, resume);
    if (!names.Holds(part)) job->partCreatePath = names.PathToMake(part, partFile);
    job->moveTarget = names.PathToMake(localName, localFile);
    job->moveFlags = names.Holds(localName) ? MOVEFILE_REPLACE_EXISTING : 0;
    if (!HandOff(job)) return false;
    names.Add(localName);
    names.Add(part);
    ReportNameMapped(WM_APP_DOWNLOAD_NAME_MAPPED, ItemText(node), localName);
    DropItem(node);
    return true;
}

// The data goes into a part file beside the target, which replaces the target
// only once the server confirmed the whole file: a failed, refused, ignored or
// cancelled file leaves an existing local copy as it was.
void DownloadWorker::OpenAndCopy(Node* node, DWORD type, bool resume) {
    OwnFileShown shown(*this);
    ULONGLONG size = node->element->size;
    // Line ends change in ASCII: only a binary file's bytes can be counted on.
    ULONGLONG offset = 0;
    if (resume && type == FTP_TRANSFER_TYPE_BINARY &&
        !PreparePartFile(localFile, partFile, size, &offset)) {
        Failed(node, kFileFailure, localFile);
        return;
    }
    RemoteFileHandle remote;
    FILE* local = OpenRemoteAndPart(node, type, offset, &remote);
    if (local) CopyOpenFile(node, remote, local, size, offset);
}

// A new part file is made while the server is asked; one already there (a cut
// transfer's data, or the copy a resume starts from) is opened only once the
// server agreed to send. Null when the file cannot go on now, which is reported.
FILE* DownloadWorker::OpenRemoteAndPart(Node* node, DWORD type, ULONGLONG offset,
                                        RemoteFileHandle* remote) {
    bool newPart = offset == 0 && !folderNames.back().Holds(PartFileName(localName.c_str()));
    StartLocalSteps(newPart);
    KnownTime asked;
    *remote = offset == 0 || engine.RestartAt(offset)
                  ? engine.OpenRemoteFile(ItemText(node), GENERIC_READ, type, node->element->size,
                                          AsksTimeAtOpen(node) ? &asked : nullptr)
                  : nullptr;
    if (asked.exact) node->element->time = asked;
    FILE* local = FinishLocalSteps();
    if (!newPart && *remote && !unmoved) local = _wfopen(partFile, offset ? L"ab" : L"wb");
    if (*remote && local && !unmoved) return local;
    remote->reset();
    if (local) {
        fclose(local);
        DeleteFileW(partFile);  // only a new, empty one is open here
    }
    // The file before could not take its place: it goes first, this one after.
    if (!ReportUnmoved()) Failed(node, kFileFailure, localFile);
    return nullptr;
}

void DownloadWorker::CopyOpenFile(Node* node, const RemoteFileHandle& remote, FILE* local,
                                  ULONGLONG size, ULONGLONG offset) {
    node->element->continuable = true;
    folderNames.back().Add(PartFileName(localName.c_str()));
    UnbufferLocal(local);
    engineState.remoteFile.Put(remote);
    engineState.localFile = local;
    CopyEnd end = Copy(remote, size, offset);
    // The close reports the server's verdict on a complete file.
    bool closed = engineState.remoteFile.Close();
    bool whole = end == CopyEnd::complete && closed;
    closed = CloseLocalFile(local, whole ? KeptTime(node) : 0) && closed;
    engineState.localFile = nullptr;
    if (end == CopyEnd::complete && closed) {
        HoldFinishedFile(node, size);
        ReportProgress(false);
        DropItem(node);
        return;
    }
    // A cancelled file is not counted and not asked about; its part stays.
    if (Cancelled()) return;
    Failed(node, kFileFailure, localFile);
}

// Only a target known to be there is replaced: one that appeared since the
// folder was read was never asked about, so the move fails and says so.
void DownloadWorker::HoldFinishedFile(Node* node, ULONGLONG size) {
    const LocalFolderNames& names = folderNames.back();
    DWORD flags = names.Holds(localName) ? MOVEFILE_REPLACE_EXISTING : 0;
    finished.reset(new FinishedFile{ItemText(node), localName, localFile,
                                    names.PathToMake(localName, localFile), flags, size,
                                    node->element->time});
}

// The move of the file held, and a new part file for the current file if asked.
void DownloadWorker::StartLocalSteps(bool newPart) {
    LocalFileSteps::Batch batch;
    if (finished) {
        batch.movePart = PartFileName(finished->target.c_str());
        batch.moveTarget = finished->moveTarget;
        batch.moveFlags = finished->moveFlags;
    }
    if (newPart)
        batch.createPath = folderNames.back().PathToMake(PartFileName(localName.c_str()), partFile);
    moving = std::move(finished);
    steps.Start(std::move(batch));
}

// A moved file counts as done; one that could not be moved waits in unmoved
// for the prompt. Gives the new part file, if one was asked for and made.
FILE* DownloadWorker::FinishLocalSteps() {
    LocalFileSteps::Result result = steps.Finish();
    if (moving && result.moved) Moved(*moving);
    if (moving && !result.moved) unmoved = std::move(moving);
    moving.reset();
    return result.created;
}

void DownloadWorker::Moved(const FinishedFile& file) {
    LocalFolderNames& names = folderNames.back();
    names.Remove(PartFileName(file.localName.c_str()));
    names.Add(file.localName);
    ReportNameMapped(WM_APP_DOWNLOAD_NAME_MAPPED, file.name, file.localName);
    ++counters.filesDone;
    ReportProgress(false);
}

// The file goes back on the list, to the prompt and, on Retry, to another
// try; after a stop it is only counted. True when it was put back.
bool DownloadWorker::ReportUnmoved() {
    if (!unmoved) return false;
    std::unique_ptr<FinishedFile> file = std::move(unmoved);
    if (Stopped()) {
        CountFailedFile(file->target.c_str(), L"the whole file came, but could not take its name");
        return false;
    }
    AddItem(false, file->name.c_str(), file->size, true, file->time);
    // A local failure: no reply of the server's explains it.
    Failed(work.GetTail(), kFileFailure, file->target.c_str(), std::wstring());
    return true;
}

bool DownloadWorker::SettleHeldWork() {
    if (finished) {
        StartLocalSteps(false);
        FinishLocalSteps();
    }
    return ReportUnmoved();
}

// Files found in listings carry their sizes and times; the selected ones do
// not. A single one is asked for (its time comes by MDTM), several are looked
// up in one listing of the start folder, where the walk stands whenever it
// comes to a selected file.
void DownloadWorker::SizeSelectedFiles() {
    std::vector<WalkItem*> unsized;
    for (Node* node = work.GetHead(); node; node = node->next)
        if (!node->element->sized && !node->element->IsFolder()) unsized.push_back(node->element);
    if (unsized.size() == 1) {
        unsized[0]->size = engine.RemoteFileSize(unsized[0]->Name());
    } else {
        std::unordered_map<std::wstring, WIN32_FIND_DATAW> entries;
        WIN32_FIND_DATAW data;
        HRESULT found = engine.FindFirst(&data);
        for (; SUCCEEDED(found); found = engine.FindNext(&data)) entries[data.cFileName] = data;
        for (WalkItem* item : unsized) {
            auto listed = entries.find(item->Name());
            if (listed == entries.end()) continue;
            item->size = FileSizeOf(listed->second);
            item->time = engine.ListedTime(listed->second);
        }
    }
    for (WalkItem* item : unsized) {
        item->sized = true;
        SelectedFileSized(item->size);
    }
}

// The bytes already there count in the file's bar; the total counts only what moves now.
DownloadWorker::CopyEnd DownloadWorker::Copy(const RemoteFileHandle& remote, ULONGLONG size,
                                             ULONGLONG offset) {
    counters.currentFileBytes = offset;
    counters.currentFileSize = size;
    ReportProgress(false);
    auto write = [this](const char* block, DWORD count) { return WriteBlock(block, count); };
    return CopyBlocks(ReadRemote(remote), write,
                      {counters.totalBytes, counters.currentFileBytes, counters.elapsedMs});
}

// On a slow link the part file holds what arrived at most a second ago; the
// close flushes the rest, so a full disk shows there and not as a short file.
bool DownloadWorker::WriteBlock(const char* block, DWORD count) {
    FILE* local = engineState.localFile;
    if (fwrite(block, count, 1, local) != 1) return false;
    DWORD now = GetTickCount();
    if (now - lastFlushTick < kFlushIntervalMs) return true;
    lastFlushTick = now;
    return fflush(local) == 0;
}

void DownloadWorker::ReportProgress(bool force) {
    if (ProgressDue(force)) SendReport(counters, WM_APP_DOWNLOAD_PROGRESS);
}

const wchar_t* DownloadWorker::JobSubject(const FileJob& job) const {
    return job.localPath.c_str();
}

const wchar_t* DownloadWorker::FileFailureFormat() const { return kFileFailure; }
