#include "ftp/JobTransfer.h"

#include "ftp/PartFile.h"
#include "ftp/ServerReason.h"

void LaneFigures::StartFile(const std::wstring& name, ULONGLONG size) {
    std::lock_guard<std::mutex> hold(nameLock);
    file = name;
    fileSize = size;
    fileBytes = 0;
}

void LaneFigures::EndFile(bool done) {
    if (done) ++files;
    std::lock_guard<std::mutex> hold(nameLock);
    file.clear();
    fileBytes = 0;
    fileSize = 0;
}

std::wstring LaneFigures::File() {
    std::lock_guard<std::mutex> hold(nameLock);
    return file;
}

JobTransfer::JobTransfer(RemoteFS& ftp, RemoteFileSlot& fileSlot, LaneFigures& laneFigures,
                         const std::atomic<bool>& cancelled, const std::wstring& startFolder,
                         std::function<void()> blockDone)
    : engine(ftp),
      slot(fileSlot),
      figures(laneFigures),
      cancel(cancelled),
      folder(startFolder),
      afterBlock(std::move(blockDone)),
      block(new char[kCopyBlockBytes]) {}

// The target stays as it was until the server confirmed the whole file.
JobTransfer::Outcome JobTransfer::Download(FileJob& job) {
    // The panel names the file from the first command on: over a long link
    // the server's answers take most of a small file's time.
    figures.StartFile(job.remoteName, job.size);
    std::wstring part = PartFileName(job.localPath.c_str());
    ULONGLONG offset = 0;
    // Line ends change in ASCII: only a binary file's bytes can be counted on.
    bool binary = job.transferFlags == FTP_TRANSFER_TYPE_BINARY;
    if (job.resume && binary &&
        !PreparePartFile(job.localPath.c_str(), part.c_str(), job.size, &offset))
        return LocalFailure(job);
    if (!EnterFolder(job) || (offset && !engine.RestartAt(offset))) return RemoteFailure(job);
    KnownTime asked;
    RemoteFileHandle remote =
        engine.OpenRemoteFile(job.remoteName.c_str(), GENERIC_READ, job.transferFlags, job.size,
                              job.askTime ? &asked : nullptr);
    if (!remote) return RemoteFailure(job);
    if (asked.exact) job.keepTime = asked.utc;
    FILE* local = OpenPart(job, part, offset);
    if (!local) return LocalFailure(job);
    CopyEnd end = Copy(job, remote, offset, ReadRemote(remote), WriteLocal(local));
    // The close reports the server's verdict on a complete file.
    bool closed = slot.Close();
    bool whole = end == CopyEnd::complete && closed && !cancel;
    // A whole file takes its target's place while still open: opening it again
    // by name to move it costs as much again.
    bool moved = whole && MoveOpenPartFile(local, job.moveTarget, job.moveFlags);
    closed = CloseLocalFile(local, whole ? job.keepTime : 0) && closed;
    if (end == CopyEnd::stopped || cancel) return Outcome::stopped;
    if (end != CopyEnd::complete || !closed) return RemoteFailure(job);
    if (!moved && !MoveFileExW(part.c_str(), job.moveTarget.c_str(), job.moveFlags))
        return LocalFailure(job);
    figures.EndFile(true);
    return Outcome::done;
}

// A new part file is made by the path the walk chose; one to continue is appended to.
FILE* JobTransfer::OpenPart(const FileJob& job, const std::wstring& part, ULONGLONG offset) {
    const std::wstring& path = offset || job.partCreatePath.empty() ? part : job.partCreatePath;
    FILE* local = OpenPartFile(path.c_str(), offset != 0);
    if (local) UnbufferLocal(local);
    return local;
}

// The local file is opened first: one that cannot be read must not replace
// the server's copy with an empty file. A file not sent whole is aborted.
JobTransfer::Outcome JobTransfer::Upload(FileJob& job) {
    figures.StartFile(job.remoteName, job.size);
    FILE* local = job.localFile ? job.localFile : _wfopen(job.localPath.c_str(), L"rb");
    job.localFile = nullptr;
    if (!local) return LocalFailure(job);
    UnbufferLocal(local);
    bool binary = job.transferFlags == FTP_TRANSFER_TYPE_BINARY;
    bool entered = EnterFolder(job);
    ULONGLONG offset = entered && job.resume && binary ? UploadOffset(job) : 0;
    bool positioned =
        entered &&
        (offset == 0 || (_fseeki64(local, offset, SEEK_SET) == 0 && engine.RestartAt(offset)));
    RemoteFileHandle remote = positioned
                                  ? engine.OpenRemoteFile(job.remoteName.c_str(), GENERIC_WRITE,
                                                          job.transferFlags, 0, nullptr)
                                  : nullptr;
    if (!remote) {
        fclose(local);
        return RemoteFailure(job);
    }
    CopyEnd end = Copy(job, remote, offset, ReadLocal(local), WriteRemote(remote));
    if (end != CopyEnd::complete) slot.Abort();
    bool closed = slot.Close();
    fclose(local);
    if (end == CopyEnd::stopped || cancel) return Outcome::stopped;
    if (end != CopyEnd::complete || !closed) return RemoteFailure(job);
    if (job.keepTime) engine.SetServerFileTime(job.remoteName.c_str(), job.keepTime);
    figures.EndFile(true);
    return Outcome::done;
}

// Where the server's copy ends (SIZE, else the listing's size); a copy longer
// than the local file cannot be its start.
ULONGLONG JobTransfer::UploadOffset(const FileJob& job) {
    ULONGLONG remoteSize = 0;
    if (!engine.ServerFileSize(job.remoteName.c_str(), &remoteSize)) remoteSize = job.listedSize;
    return remoteSize <= job.size ? remoteSize : 0;
}

bool JobTransfer::EnterFolder(const FileJob& job) {
    if (folder == job.remoteFolder) return true;
    if (FAILED(engine.SetCurrentDir(job.remoteFolder.c_str()))) return false;
    folder = job.remoteFolder;
    return true;
}

// The remote file is open: from now on this run's copy holds the file's start.
CopyEnd JobTransfer::Copy(FileJob& job, const RemoteFileHandle& remote, ULONGLONG offset,
                          const BlockRead& read, const BlockWrite& write) {
    job.continuable = true;
    slot.Put(remote);
    figures.fileBytes = offset;  // a resumed file's bar starts at what was there
    auto moved = [this](DWORD count) {
        figures.bytes += count;
        figures.fileBytes += count;
        if (afterBlock) afterBlock();
    };
    return CopyInBlocks(block.get(), kCopyBlockBytes,
                        {read, write, [this] { return !cancel; }, moved});
}

JobTransfer::Outcome JobTransfer::RemoteFailure(FileJob& job) {
    job.reason = TakeServerReason();
    figures.EndFile(false);
    if (cancel) return Outcome::stopped;
    if (engine.StillAnswers()) return Outcome::failed;
    folder.clear();
    return Outcome::lost;
}

JobTransfer::Outcome JobTransfer::LocalFailure(FileJob& job) {
    job.reason.clear();
    figures.EndFile(false);
    return cancel ? Outcome::stopped : Outcome::failed;
}
