#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "ftp/BlockCopy.h"
#include "ftp/FileJob.h"
#include "ftp/RemoteFS.h"
#include "ftp/RemoteFileSlot.h"

// What one connection of a run has moved, read by the walk for the panel
// while the connection goes on: counts as atomics, the file's name under a
// lock that only workers take.
struct LaneFigures {
    std::atomic<DWORD> files{0};
    std::atomic<ULONGLONG> bytes{0};
    std::atomic<ULONGLONG> fileBytes{0};
    std::atomic<ULONGLONG> fileSize{0};
    std::mutex nameLock;
    std::wstring file;

    void StartFile(const std::wstring& name, ULONGLONG size);
    void EndFile(bool done);
    std::wstring File();
};

// Moves one decided file over one connection without asking anyone; the
// outcome tells the walk what is left to do: nothing, a question (failed),
// another login and a try where it stopped (lost), or nothing after a cancel.
// A download goes through the part file as the walk's own does.
class JobTransfer {
  public:
    enum class Outcome { done, failed, lost, stopped };

    // folder: where the engine's connection stands now; afterBlock, when
    // given, is called after every block (the walk's reports).
    JobTransfer(RemoteFS& engine, RemoteFileSlot& slot, LaneFigures& figures,
                const std::atomic<bool>& cancel, const std::wstring& folder,
                std::function<void()> afterBlock = nullptr);

    Outcome Download(FileJob& job);
    Outcome Upload(FileJob& job);
    // Where the connection stands after the last job.
    const std::wstring& Folder() const { return folder; }
    // A new login put the connection there.
    void LoggedInAt(const std::wstring& path) { folder = path; }

  private:
    bool EnterFolder(const FileJob& job);
    FILE* OpenPart(const FileJob& job, const std::wstring& part, ULONGLONG offset);
    CopyEnd Copy(FileJob& job, const RemoteFileHandle& remote, ULONGLONG offset,
                 const BlockRead& read, const BlockWrite& write);
    ULONGLONG UploadOffset(const FileJob& job);
    // A failure the server or the connection caused: lost when the connection
    // no longer answers. The reason is taken first.
    Outcome RemoteFailure(FileJob& job);
    Outcome LocalFailure(FileJob& job);

    RemoteFS& engine;
    RemoteFileSlot& slot;
    LaneFigures& figures;
    const std::atomic<bool>& cancel;
    std::wstring folder;
    std::function<void()> afterBlock;
    std::unique_ptr<char[]> block;
};
