#include "ftp/DownloadWorker.h"

#include <cwchar>
#include <memory>
#include <string>
#include <unordered_map>

#include "framework/FileSize.h"
#include "framework/LocalPath.h"
#include "framework/TextUtil.h"
#include "ftp/EntryName.h"
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
// Beside the target until the server confirmed the whole file.
const wchar_t kPartSuffix[] = L".corvane-part";

// An existing folder is simply reused.
bool MakeLocalFolder(const wchar_t* path) {
    if (CreateDirectoryW(path, nullptr)) return true;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

DownloadWorker::DownloadWorker(FtpFS& ftp, WorkerState& state, DownloadCounters& downloadCounters,
                               const wchar_t* targetDir)
    : TransferWalk(ftp, state, WM_APP_DOWNLOAD_ERROR, downloadCounters.failures),
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

// The path a remote entry gets in the local folder; false (and the path shown
// in the prompt, cut for display only) when it cannot be stored as it is.
bool DownloadWorker::LocalPathFor(const wchar_t* name,
                                  wchar_t (&path)[WorkerState::kPathCapacity]) {
    if (IsSafeEntryName(name, MAX_PATH) && IsStorableLocalName(name) &&
        JoinPath(path, localFolder, name))
        return true;
    CopyTextCut(path, JoinedPath(localFolder, name).GetText());
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
        !CopyText(partFile, PartName(localFile).c_str())) {
        Failed(node, kFileFailure, localFile);
        return;
    }
    // A file cut off by a lost connection goes on from what its part file holds.
    if (node->element->interruptions) {
        OpenAndCopy(node, FtpFS::LocalFileExists(partFile));
        return;
    }
    const LocalFolderNames& names = folderNames.back();
    if (!names.Holds(ItemText(node)) && !names.Holds(PartName(ItemText(node)))) {
        OpenAndCopy(node, false);
        return;
    }
    // The file before may be this one's namesake (a listing may repeat a
    // name): its move comes before this file's target and part are looked at.
    if (SettleHeldWork()) return;
    bool resume = false;
    if (MayWriteLocalFile(node, &resume)) OpenAndCopy(node, resume);
}

// Asks the existing-file rule about the target, or about the part file a
// cut transfer left; a skipped file is dropped here, an unknown code goes to
// the error prompt.
bool DownloadWorker::MayWriteLocalFile(Node* node, bool* resume) {
    if (Cancelled()) return false;
    DWORD action = ExistingFileAction(FtpFS::LocalFileExists(localFile) ? localFile : partFile);
    *resume = action == existingResume;
    if (action == existingOverwrite || action == existingResume) return true;
    if (action == existingSkip)
        DropItem(node);
    else
        Failed(node, kFileFailure, localFile);
    return false;
}

// The data goes into a part file beside the target, which replaces the target
// only once the server confirmed the whole file: a failed, refused, ignored or
// cancelled file leaves an existing local copy as it was.
void DownloadWorker::OpenAndCopy(Node* node, bool resume) {
    const wchar_t* name = ItemText(node);
    if (!node->element->sized) SizeSelectedFiles();
    ULONGLONG size = node->element->size;
    AnnounceFile(WM_APP_DOWNLOAD_FILE, localFile, name);
    if (Cancelled()) return;
    DWORD type = TransferType(name);
    // Line ends change in ASCII: only a binary file's bytes can be counted on.
    ULONGLONG offset = 0;
    if (resume && type == FTP_TRANSFER_TYPE_BINARY && !PreparePart(size, &offset)) {
        Failed(node, kFileFailure, localFile);
        return;
    }
    HINTERNET remote = nullptr;
    FILE* local = OpenRemoteAndPart(node, type, offset, &remote);
    if (local) CopyOpenFile(node, remote, local, size, offset);
}

// A new part file is made while the server is asked; one already there (a cut
// transfer's data, or the copy a resume starts from) is opened only once the
// server agreed to send. Null when the file cannot go on now, which is reported.
FILE* DownloadWorker::OpenRemoteAndPart(Node* node, DWORD type, ULONGLONG offset,
                                        HINTERNET* remote) {
    bool newPart = offset == 0 && !folderNames.back().Holds(PartName(ItemText(node)));
    StartLocalSteps(newPart ? node : nullptr);
    *remote = offset == 0 || engine.RestartAt(offset)
                  ? engine.OpenRemoteFile(ItemText(node), GENERIC_READ, type)
                  : nullptr;
    FILE* local = FinishLocalSteps();
    if (!newPart && *remote && !unmoved) local = _wfopen(partFile, offset ? L"ab" : L"wb");
    if (*remote && local && !unmoved) return local;
    if (*remote) InternetCloseHandle(*remote);
    if (local) {
        fclose(local);
        DeleteFileW(partFile);  // only a new, empty one is open here
    }
    // The file before could not take its place: it goes first, this one after.
    if (!ReportUnmoved()) Failed(node, kFileFailure, localFile);
    return nullptr;
}

void DownloadWorker::CopyOpenFile(Node* node, HINTERNET remote, FILE* local, ULONGLONG size,
                                  ULONGLONG offset) {
    folderNames.back().Add(PartName(ItemText(node)));
    BufferLocalStream(local);
    engineState.PutRemoteFile(remote);
    engineState.localFile = local;
    CopyEnd end = Copy(remote, size, offset);
    // The close reports the server's verdict on a complete file.
    bool closed = engineState.CloseRemoteFile();
    closed = fclose(local) == 0 && closed;
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
    DWORD flags = names.Holds(ItemText(node)) ? MOVEFILE_REPLACE_EXISTING : 0;
    finished.reset(new FinishedFile{ItemText(node), localFile,
                                    names.PathToMake(ItemText(node), localFile), flags, size});
}

// The move of the file held, and a new part file for newPartOf, if given.
void DownloadWorker::StartLocalSteps(Node* newPartOf) {
    LocalFileSteps::Batch batch;
    if (finished) {
        batch.movePart = PartName(finished->target.c_str());
        batch.moveTarget = finished->moveTarget;
        batch.moveFlags = finished->moveFlags;
    }
    if (newPartOf)
        batch.createPath = folderNames.back().PathToMake(PartName(ItemText(newPartOf)), partFile);
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
    names.Remove(PartName(file.name.c_str()));
    names.Add(file.name);
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
    AddItem(false, file->name.c_str(), file->size, true);
    // A local failure: no reply of the server's explains it.
    Failed(work.GetTail(), kFileFailure, file->target.c_str(), std::wstring());
    return true;
}

bool DownloadWorker::SettleHeldWork() {
    if (finished) {
        StartLocalSteps(nullptr);
        FinishLocalSteps();
    }
    return ReportUnmoved();
}

std::wstring DownloadWorker::PartName(const wchar_t* nameOrPath) {
    return std::wstring(nameOrPath) + kPartSuffix;
}

// The partial data to continue is the part file, or else a copy of the
// target, so that the target stays as it was until the whole file arrived.
// Data longer than the server's file cannot be its start: offset 0 then.
bool DownloadWorker::PreparePart(ULONGLONG size, ULONGLONG* offset) {
    if (!FtpFS::LocalFileExists(partFile) && !CopyFileW(localFile, partFile, FALSE)) return false;
    ULONGLONG partial = FtpFS::LocalFileSize(partFile);
    *offset = partial <= size ? partial : 0;
    return true;
}

// Files found in listings carry their sizes; the selected ones do not. A single
// one is asked for, several are looked up in one listing of the start folder,
// where the walk stands whenever it comes to a selected file.
void DownloadWorker::SizeSelectedFiles() {
    std::vector<WalkItem*> unsized;
    for (Node* node = work.GetHead(); node; node = node->next)
        if (!node->element->sized && !node->element->IsFolder()) unsized.push_back(node->element);
    if (unsized.size() == 1) {
        unsized[0]->size = engine.RemoteFileSize(unsized[0]->Name());
    } else {
        std::unordered_map<std::wstring, ULONGLONG> sizes;
        WIN32_FIND_DATAW data;
        HRESULT found = engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
        for (; SUCCEEDED(found); found = engine.FindNext(&data))
            sizes[data.cFileName] = FileSizeOf(data);
        for (WalkItem* item : unsized) {
            auto listed = sizes.find(item->Name());
            if (listed != sizes.end()) item->size = listed->second;
        }
    }
    for (WalkItem* item : unsized) item->sized = true;
}

// The bytes already there count in the file's bar; the total counts only what moves now.
DownloadWorker::CopyEnd DownloadWorker::Copy(HINTERNET remote, ULONGLONG size, ULONGLONG offset) {
    counters.currentFileBytes = offset;
    counters.currentFileSize = size;
    ReportProgress(false);
    // A failed read fails the file: a Retry opens a fresh data connection.
    auto read = [remote](char* block, DWORD room, DWORD* count) {
        return InternetReadFile(remote, block, room, count) != FALSE;
    };
    auto write = [this](const char* block, DWORD count) { return WriteBlock(block, count); };
    return CopyBlocks(read, write,
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
    if (ProgressDue(force))
        Notify(WM_APP_DOWNLOAD_PROGRESS, reinterpret_cast<WPARAM>(&counters), 0);
}
