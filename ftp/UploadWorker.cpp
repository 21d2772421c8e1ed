#include "ftp/UploadWorker.h"

#include <cwchar>
#include <memory>

#include "app/FtpClientApp.h"
#include "framework/LocalPath.h"
#include "ftp/EntryName.h"
#include "ftp/TransferMessages.h"

namespace {

const wchar_t kFileFailure[] = L"Can't upload file %s";
const wchar_t kFolderFailure[] = L"Can't upload folder %s";

// The last component of a local path: what the entry is called on the server.
const wchar_t* LeafName(const wchar_t* path) {
    const wchar_t* leaf = path;
    for (const wchar_t* c = path; *c; ++c)
        if (IsPathSeparator(*c)) leaf = c + 1;
    return leaf;
}

ULONGLONG LocalFileSize(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
    return (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

UploadWorker::UploadWorker(FtpFS& ftp, WorkerState& state, UploadCounters& uploadCounters)
    : TransferWalk(ftp, state, WM_UPLOAD_ERROR, uploadCounters.failures), counters(uploadCounters) {
    counters = UploadCounters();
}

// A folder that exists on the server is used as it is.
void UploadWorker::EnterFolder(Node* node) {
    const wchar_t* path = ItemText(node);
    const wchar_t* name = LeafName(path);
    if (!IsSafeEntryName(name, MAX_PATH)) {
        Failed(node, kFolderFailure, name);
        return;
    }
    engine.CreateRemoteDir(name);
    if (!EnterRemoteFolder(node, name)) {
        Failed(node, kFolderFailure, name);
        return;
    }
    ++counters.foldersCreated;
    ListFolder(path);
}

void UploadWorker::ListFolder(const wchar_t* path) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(JoinedPath(path, L"*.*").GetText(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        ULONGLONG size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        AddItem(folder, JoinedPath(path, data.cFileName).GetText(), size, true);
    } while (!Cancelled() && FindNextFileW(search, &data));
    FindClose(search);
}

// The local file is opened first: one that cannot be read must not replace
// the server's copy with an empty file.
void UploadWorker::HandleFile(Node* node) {
    const wchar_t* path = ItemText(node);
    const wchar_t* name = LeafName(path);
    FILE* local = IsSafeEntryName(name, MAX_PATH) ? _wfopen(path, L"rb") : nullptr;
    if (!local) {
        Failed(node, kFileFailure, name);
        return;
    }
    BufferLocalStream(local);
    engineState.localFile = local;
    Notify(WM_UPLOAD_FILE, reinterpret_cast<WPARAM>(path), reinterpret_cast<LPARAM>(name));
    DWORD type = Cancelled() ? FTP_TRANSFER_TYPE_BINARY
                             : GetApp()->options.ChooseTransferType(name, PromptOwner());
    HINTERNET remote = Cancelled() ? nullptr : engine.OpenRemoteFile(name, GENERIC_WRITE, type);
    CopyEnd end = CopyEnd::stopped;
    bool closed = false;
    if (remote) {
        engineState.PutRemoteFile(remote);
        const WalkItem* item = node->element;
        counters.currentFileSize = item->sized ? item->size : LocalFileSize(path);
        end = Copy(remote, local);
        // A file not sent whole is aborted: the server must not keep it as complete.
        if (end != CopyEnd::complete) engineState.AbortRemoteFile();
        // The close reports whether the server stored the whole file.
        closed = engineState.CloseRemoteFile();
    }
    fclose(local);
    engineState.localFile = nullptr;
    if (end == CopyEnd::complete && closed) {
        ++counters.filesDone;
        ReportProgress(false);
        DropItem(node);
        return;
    }
    // A cancelled file is not counted and not asked about.
    if (!Cancelled()) Failed(node, kFileFailure, name);
}

UploadWorker::CopyEnd UploadWorker::Copy(HINTERNET remote, FILE* local) {
    counters.currentFileBytes = 0;
    std::unique_ptr<char[]> block(new char[kBlockSize]);
    while (!Cancelled()) {
        DWORD count = static_cast<DWORD>(fread(block.get(), 1, kBlockSize, local));
        if (ferror(local) || !WriteBlock(remote, block.get(), count)) return CopyEnd::failed;
        bool last = count != kBlockSize;
        counters.elapsedMs = ElapsedMs();
        ReportProgress(false);
        if (last) return CopyEnd::complete;
    }
    return CopyEnd::stopped;
}

// A failed write fails the file: a Retry opens a fresh data connection.
bool UploadWorker::WriteBlock(HINTERNET remote, const char* block, DWORD count) {
    if (count == 0) return true;
    DWORD written = 0;
    bool wrote = InternetWriteFile(remote, block, count, &written) != FALSE;
    counters.currentFileBytes += written;
    counters.totalBytes += written;
    return wrote;
}

void UploadWorker::ReportProgress(bool force) {
    if (ProgressDue(force)) Notify(WM_UPLOAD_PROGRESS, reinterpret_cast<WPARAM>(&counters), 0);
}
