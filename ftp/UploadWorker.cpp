#include "ftp/UploadWorker.h"

#include <cwchar>
#include <memory>

#include "app/FtpClientApp.h"
#include "browsers/LocalPath.h"
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
    : TransferWalk(ftp, state, WM_UPLOAD_ERROR), counters(uploadCounters) {
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
        AddItem(folder, JoinedPath(path, data.cFileName).GetText());
    } while (!Cancelled() && FindNextFileW(search, &data));
    FindClose(search);
}

// The local file is opened first: one that cannot be read must not replace
// the server's copy with an empty file.
void UploadWorker::TransferFile(Node* node) {
    const wchar_t* path = ItemText(node);
    const wchar_t* name = LeafName(path);
    FILE* local = IsSafeEntryName(name, MAX_PATH) ? _wfopen(path, L"rb") : nullptr;
    if (!local) {
        Failed(node, kFileFailure, name);
        return;
    }
    setvbuf(local, nullptr, _IOFBF, kLocalBufferSize);
    engineState.localFile = local;
    Notify(WM_UPLOAD_FILE, reinterpret_cast<WPARAM>(path), reinterpret_cast<LPARAM>(name));
    DWORD type = Cancelled() ? FTP_TRANSFER_TYPE_BINARY
                             : GetApp()->options.ChooseTransferType(name, PromptOwner());
    HINTERNET remote = Cancelled() ? nullptr : engine.OpenRemoteFile(name, GENERIC_WRITE, type);
    CopyEnd end = CopyEnd::stopped;
    bool closed = false;
    if (remote) {
        engineState.PutRemoteFile(remote);
        counters.currentFileSize = LocalFileSize(path);
        end = Copy(remote, local, name);
        // The close reports whether the server stored the whole file.
        closed = engineState.CloseRemoteFile();
    }
    fclose(local);
    engineState.localFile = nullptr;
    if (!remote || end == CopyEnd::readFailed || (end == CopyEnd::complete && !closed)) {
        Failed(node, kFileFailure, name);
        return;
    }
    if (end == CopyEnd::complete) ++counters.filesDone;
    // The panel ends on the finished count, not on the count before this file.
    ReportProgress(true);
    DropItem(node);
}

UploadWorker::CopyEnd UploadWorker::Copy(HINTERNET remote, FILE* local, const wchar_t* remoteName) {
    counters.currentFileBytes = 0;
    std::unique_ptr<char[]> block(new char[kBlockSize]);
    for (bool first = true; !Cancelled(); first = false) {
        DWORD count = static_cast<DWORD>(fread(block.get(), 1, kBlockSize, local));
        if (ferror(local)) return CopyEnd::readFailed;
        if (!WriteBlock(remote, block.get(), count, remoteName)) return CopyEnd::stopped;
        bool last = count != kBlockSize;
        counters.elapsedMs = ElapsedMs();
        ReportProgress(first);
        if (last) return CopyEnd::complete;
    }
    return CopyEnd::stopped;
}

// False when the user (or a cancel) stopped the file after a failed write.
bool UploadWorker::WriteBlock(HINTERNET remote, const char* block, DWORD count,
                              const wchar_t* remoteName) {
    if (count == 0) return true;
    for (;;) {
        DWORD written = 0;
        bool wrote = InternetWriteFile(remote, block, count, &written) != FALSE;
        counters.currentFileBytes += written;
        counters.totalBytes += written;
        if (wrote) return true;
        if (!RetryBlock(kFileFailure, remoteName)) return false;
    }
}

void UploadWorker::ReportProgress(bool force) {
    if (ProgressDue(force)) Notify(WM_UPLOAD_PROGRESS, reinterpret_cast<WPARAM>(&counters), 0);
}
