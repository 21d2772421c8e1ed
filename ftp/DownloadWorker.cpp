#include "ftp/DownloadWorker.h"

#include <cwchar>
#include <memory>

#include "app/FtpClientApp.h"
#include "browsers/LocalPath.h"
#include "framework/TextUtil.h"
#include "ftp/EntryName.h"
#include "ftp/TransferMessages.h"

namespace {

const wchar_t kFileFailure[] = L"Can't download file %s";
const wchar_t kFolderFailure[] = L"Can't download folder %s";

bool MakeLocalFolder(const wchar_t* path) {
    CreateDirectoryW(path, nullptr);  // an existing folder is simply reused
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

DownloadWorker::DownloadWorker(FtpFS& ftp, WorkerState& state, DownloadCounters& downloadCounters,
                               const wchar_t* targetDir)
    : TransferWalk(ftp, state, WM_DOWNLOAD_ERROR),
      counters(downloadCounters),
      localFolder(),
      localFile() {
    CopyText(localFolder, targetDir);
    counters = DownloadCounters();
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

void DownloadWorker::EnterFolder(Node* node) {
    const wchar_t* name = ItemText(node);
    wchar_t folderPath[WorkerState::kPathCapacity];
    if (!LocalPathFor(name, folderPath) || !EnterRemoteFolder(node, name)) {
        Failed(node, kFolderFailure, folderPath);
        return;
    }
    if (!MakeLocalFolder(folderPath)) {
        LeaveRemoteFolder();
        Failed(node, kFolderFailure, folderPath);
        return;
    }
    parentLengths.push_back(wcslen(localFolder));
    CopyText(localFolder, folderPath);
    Notify(WM_DOWNLOAD_FOLDER, reinterpret_cast<WPARAM>(localFolder),
           reinterpret_cast<LPARAM>(name));
    ++counters.foldersEntered;
    ListFolder();
}

void DownloadWorker::ListFolder() {
    WIN32_FIND_DATAW data;
    if (FAILED(engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE))) return;
    do AddItem((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, data.cFileName);
    while (!Cancelled() && SUCCEEDED(engine.FindNext(&data)));
    engine.FindClose();
}

void DownloadWorker::FolderLeft() {
    localFolder[parentLengths.back()] = L'\0';
    parentLengths.pop_back();
}

void DownloadWorker::TransferFile(Node* node) {
    if (!LocalPathFor(ItemText(node), localFile)) {
        Failed(node, kFileFailure, localFile);
        return;
    }
    if (!FtpFS::LocalFileExists(localFile) || MayWriteLocalFile(node)) OpenAndCopy(node);
}

// Asks the existing-file rule; a skipped file is dropped here, anything but
// overwrite goes to the error prompt.
bool DownloadWorker::MayWriteLocalFile(Node* node) {
    if (Cancelled()) return false;
    wchar_t text[WorkerState::kPathCapacity + 64];
    _snwprintf_s(text, _TRUNCATE, L"File %s exists.   What would you like to do?", localFile);
    DWORD action = GetApp()->options.ChooseExistingFileAction(text, PromptOwner());
    if (action == existingOverwrite) return true;
    if (action == existingSkip) {
        DropItem(node);
        return false;
    }
    if (action == existingResume)
        MessageBoxW(engineState.notifyWindow, L"Not implemented", L"Error", MB_ICONERROR);
    Failed(node, kFileFailure, localFile);
    return false;
}

// The remote file is opened before the local one is created, so a file the
// server refuses leaves an existing local copy as it was.
void DownloadWorker::OpenAndCopy(Node* node) {
    const wchar_t* name = ItemText(node);
    ULONGLONG size = engine.RemoteFileSize(name);
    Notify(WM_DOWNLOAD_FILE, reinterpret_cast<WPARAM>(localFile), reinterpret_cast<LPARAM>(name));
    if (Cancelled()) return;
    DWORD type = GetApp()->options.ChooseTransferType(name, PromptOwner());
    HINTERNET remote = engine.OpenRemoteFile(name, GENERIC_READ, type);
    FILE* local = remote ? _wfopen(localFile, L"wb") : nullptr;
    if (!local) {
        if (remote) InternetCloseHandle(remote);
        Failed(node, kFileFailure, localFile);
        return;
    }
    setvbuf(local, nullptr, _IOFBF, kLocalBufferSize);
    engineState.PutRemoteFile(remote);
    engineState.localFile = local;
    CopyEnd end = Copy(remote, size);
    // The close reports the server's verdict on a complete file.
    bool closed = engineState.CloseRemoteFile();
    closed = fclose(local) == 0 && closed;
    engineState.localFile = nullptr;
    // A file stopped by the user or a cancel keeps what was written but is not counted.
    if (end == CopyEnd::writeFailed || (end == CopyEnd::complete && !closed)) {
        Failed(node, kFileFailure, localFile);
        return;
    }
    if (end == CopyEnd::complete) ++counters.filesDone;
    // The panel ends on the finished count, not on the count before this file.
    ReportProgress(true);
    DropItem(node);
}

DownloadWorker::CopyEnd DownloadWorker::Copy(HINTERNET remote, ULONGLONG size) {
    counters.currentFileBytes = 0;
    counters.currentFileSize = size;
    ReportProgress(true);
    std::unique_ptr<char[]> block(new char[kBlockSize]);
    while (!Cancelled()) {
        DWORD count = 0;
        if (!InternetReadFile(remote, block.get(), kBlockSize, &count)) {
            if (RetryBlock(kFileFailure, localFile)) continue;
            return CopyEnd::stopped;
        }
        bool last = count != kBlockSize;
        if (!WriteBlock(block.get(), count, last)) return CopyEnd::writeFailed;
        counters.totalBytes += count;
        counters.currentFileBytes += count;
        counters.elapsedMs = ElapsedMs();
        ReportProgress(false);
        if (last) return CopyEnd::complete;
    }
    return CopyEnd::stopped;
}

// The last block is flushed too, so a full disk shows here and not as a short file.
bool DownloadWorker::WriteBlock(const char* block, DWORD count, bool last) {
    FILE* local = engineState.localFile;
    if (count > 0 && fwrite(block, count, 1, local) != 1) return false;
    return !last || fflush(local) == 0;
}

void DownloadWorker::ReportProgress(bool force) {
    if (ProgressDue(force)) Notify(WM_DOWNLOAD_PROGRESS, reinterpret_cast<WPARAM>(&counters), 0);
}
