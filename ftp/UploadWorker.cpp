#include "ftp/UploadWorker.h"

#include <cwchar>

#include "framework/FileSize.h"
#include "framework/LocalPath.h"
#include "ftp/EntryName.h"
#include "ftp/LocalNameMap.h"
#include "ftp/TransferMessages.h"

namespace {

const wchar_t kFileFailure[] = L"Can't upload file %s";
const wchar_t kFolderFailure[] = L"Can't upload folder %s";

// The last component of a local path.
const wchar_t* LeafName(const wchar_t* path) {
    const wchar_t* leaf = path;
    for (const wchar_t* c = path; *c; ++c)
        if (IsPathSeparator(*c)) leaf = c + 1;
    return leaf;
}

// What the entry at a local path is called on the server: its last component,
// or the original of a name mapped when it came down.
std::wstring RemoteNameOf(const wchar_t* path) { return RemoteNameFor(LeafName(path)); }

}  // namespace

UploadWorker::UploadWorker(RemoteFS& ftp, WorkerState& state, UploadCounters& uploadCounters)
    : TransferWalk(ftp, state, WM_APP_UPLOAD_ERROR, uploadCounters.failures,
                   TransferLanes::Direction::upload),
      counters(uploadCounters),
      remoteFolders(1) {
    counters = UploadCounters();
    SizeSelectedFiles(state.items);
}

// Local sizes cost no round trip: the run's total knows them from the start.
void UploadWorker::SizeSelectedFiles(WalkList& items) {
    for (WalkList::Node* node = items.GetHead(); node; node = node->next) {
        WalkItem* item = node->element;
        if (item->IsFolder() || item->sized) continue;
        item->size = RemoteFS::LocalFileSize(item->Name());
        item->sized = true;
    }
}

// A folder that exists on the server is used as it is.
void UploadWorker::EnterFolder(Node* node) {
    const wchar_t* path = ItemText(node);
    const std::wstring remoteName = RemoteNameOf(path);
    const wchar_t* name = remoteName.c_str();
    if (!IsSafeEntryName(name, MAX_PATH)) {
        Failed(node, kFolderFailure, name);
        return;
    }
    bool created = engine.CreateRemoteDir(name);
    if (!EnterRemoteFolder(node, name)) {
        Failed(node, kFolderFailure, name);
        return;
    }
    // A folder just made holds nothing: no listing to read.
    remoteFolders.push_back(RemoteFolder{created, {}});
    ++counters.foldersCreated;
    ReportNameMapped(WM_APP_UPLOAD_NAME_MAPPED, name, LeafName(path));
    ListFolder(path);
}

void UploadWorker::ListFolder(const wchar_t* path) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(JoinedPath(path, L"*.*").GetText(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        ULONGLONG size = FileSizeOf(data);
        AddItem(folder, JoinedPath(path, data.cFileName).GetText(), size, true);
        EntryListed(folder, size);
    } while (!Cancelled() && FindNextFileW(search, &data));
    FindClose(search);
}

void UploadWorker::LocalFolderLeft() { remoteFolders.pop_back(); }

// The remote folder's files, read once when the first file goes there. A
// folder that cannot be listed (an upload-only drop box) shows no files: the
// server then decides alone, as it did before anything was asked.
const UploadWorker::RemoteFiles& UploadWorker::FilesHere() {
    RemoteFolder& folder = remoteFolders.back();
    if (folder.read) return folder.files;
    folder.read = true;
    WIN32_FIND_DATAW data;
    HRESULT found = engine.FindFirst(&data);
    for (; SUCCEEDED(found) && !Cancelled(); found = engine.FindNext(&data))
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            folder.files[data.cFileName] = RemoteFile{FileSizeOf(data), engine.ListedTime(data)};
    engine.FindClose();
    return folder.files;
}

// The local file is opened first: one that cannot be read must not replace
// the server's copy with an empty file. A file cut off by a lost connection
// goes on from what the server holds.
void UploadWorker::HandleFile(Node* node) {
    const std::wstring remoteName = RemoteNameOf(ItemText(node));
    const wchar_t* name = remoteName.c_str();
    FILE* local = IsSafeEntryName(name, MAX_PATH) ? _wfopen(ItemText(node), L"rb") : nullptr;
    if (!local) {
        Failed(node, kFileFailure, name);
        return;
    }
    node->element->time = LocalTimeOf(local);
    DWORD action = Cancelled() ? existingSkip
                   : node->element->interruptions
                       ? (node->element->continuable ? existingResume : existingOverwrite)
                       : ActionFor(name, node->element->time);
    if (action == existingOverwrite || action == existingResume) {
        StartFile(node, local, action == existingResume);
        return;
    }
    fclose(local);
    if (action == existingSkip)
        DropItem(node);
    else
        Failed(node, kFileFailure, name);
}

// A file the remote folder does not hold is simply sent.
DWORD UploadWorker::ActionFor(const wchar_t* name, const KnownTime& source) {
    const RemoteFiles& files = FilesHere();
    auto listed = files.find(name);
    if (listed == files.end()) return existingOverwrite;
    return ExistingFileAction(name, source, listed->second.time);
}

// The file goes to another connection of the run when one is free, with the
// source already open; else it is sent here.
void UploadWorker::StartFile(Node* node, FILE* local, bool resume) {
    const wchar_t* path = ItemText(node);
    const std::wstring remoteName = RemoteNameOf(path);
    const wchar_t* name = remoteName.c_str();
    AnnounceFile(WM_APP_UPLOAD_FILE, path, name, node->element->size);
    DWORD type = TransferType(name);
    if (resume) node->element->continuable = true;
    std::unique_ptr<FileJob> job =
        HasLanes() && !Cancelled() ? NewJob(node, name, path, type, resume) : nullptr;
    if (job) {
        const RemoteFiles& files = FilesHere();
        auto listed = files.find(name);
        if (listed != files.end()) job->listedSize = listed->second.size;
        job->localFile = local;
        if (HandOff(job)) {
            ReportNameMapped(WM_APP_UPLOAD_NAME_MAPPED, name, LeafName(path));
            DropItem(node);
            return;
        }
        job->localFile = nullptr;
    }
    SendFile(node, local, type, resume);
}

void UploadWorker::SendFile(Node* node, FILE* local, DWORD type, bool resume) {
    OwnFileShown shown(*this);
    const wchar_t* path = ItemText(node);
    const std::wstring remoteName = RemoteNameOf(path);
    const wchar_t* name = remoteName.c_str();
    UnbufferLocal(local);
    engineState.localFile = local;
    ULONGLONG size = node->element->size;
    // Line ends change in ASCII: only a binary file's bytes can be counted on.
    ULONGLONG offset = resume && type == FTP_TRANSFER_TYPE_BINARY ? ResumeOffset(name, size) : 0;
    bool positioned = offset == 0 || (_fseeki64(local, offset, SEEK_SET) == 0 && !Cancelled() &&
                                      engine.RestartAt(offset));
    RemoteFileHandle remote = positioned && !Cancelled()
                                  ? engine.OpenRemoteFile(name, GENERIC_WRITE, type, 0, nullptr)
                                  : nullptr;
    CopyEnd end = CopyEnd::stopped;
    bool closed = false;
    if (remote) {
        node->element->continuable = true;
        engineState.remoteFile.Put(remote);
        counters.currentFileSize = size;
        end = Copy(remote, local, offset);
        // A file not sent whole is aborted: the server must not keep it as complete.
        if (end != CopyEnd::complete) engineState.remoteFile.Abort();
        // The close reports whether the server stored the whole file.
        closed = engineState.remoteFile.Close();
    }
    fclose(local);
    engineState.localFile = nullptr;
    if (end == CopyEnd::complete && closed) {
        if (KeptTime(node)) engine.SetServerFileTime(name, KeptTime(node));
        ReportNameMapped(WM_APP_UPLOAD_NAME_MAPPED, name, LeafName(path));
        ++counters.filesDone;
        ReportProgress(false);
        DropItem(node);
        return;
    }
    // A cancelled file is not counted and not asked about.
    if (!Cancelled()) Failed(node, kFileFailure, name);
}

// Where the server's copy ends (SIZE, else the listing's size); a copy
// longer than the local file cannot be its start, and one the server does
// not know of (a drop before it was made) none: the file is sent whole.
ULONGLONG UploadWorker::ResumeOffset(const wchar_t* name, ULONGLONG localSize) {
    ULONGLONG remoteSize = 0;
    if (!engine.ServerFileSize(name, &remoteSize)) {
        const RemoteFiles& files = FilesHere();
        auto listed = files.find(name);
        remoteSize = listed != files.end() ? listed->second.size : 0;
    }
    return remoteSize <= localSize ? remoteSize : 0;
}

// The bytes already on the server count in the file's bar; the total counts only what moves now.
UploadWorker::CopyEnd UploadWorker::Copy(const RemoteFileHandle& remote, FILE* local,
                                         ULONGLONG offset) {
    counters.currentFileBytes = offset;
    return CopyBlocks(ReadLocal(local), WriteRemote(remote),
                      {counters.totalBytes, counters.currentFileBytes, counters.elapsedMs});
}

void UploadWorker::ReportProgress(bool force) {
    if (ProgressDue(force)) SendReport(counters, WM_APP_UPLOAD_PROGRESS);
}

const wchar_t* UploadWorker::JobSubject(const FileJob& job) const { return job.remoteName.c_str(); }

const wchar_t* UploadWorker::FileFailureFormat() const { return kFileFailure; }
