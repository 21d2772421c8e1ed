#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/LocalFolderNames.h"
#include "ftp/LocalFileSteps.h"
#include "ftp/TransferWalk.h"

// Copies remote files and folder trees into a local directory. Local files are
// opened by their wide names; a name the local file system cannot hold is
// stored under its mapped local name (ftp/LocalNameMap), and a name that could
// lead out of the folder, or a path longer than the buffers, is reported
// instead of being cut or changed.
// Each file is written beside its target as "name.corvane-part" and takes the
// target's place only when the server confirmed the transfer; a resumed
// binary file continues from the part file (or the target) with REST. A
// file's move onto its target overlaps the next file's request to the server.
class DownloadWorker : public TransferWalk {
  public:
    DownloadWorker(RemoteFS& engine, WorkerState& state, DownloadCounters& counters,
                   const wchar_t* targetDir);

  protected:
    void EnterFolder(Node* node) override;
    void HandleFile(Node* node) override;
    void LocalFolderLeft() override;
    bool MayEnter(const wchar_t* name, const wchar_t* folderPath) override;
    bool SettleHeldWork() override;
    const wchar_t* JobSubject(const FileJob& job) const override;
    const wchar_t* FileFailureFormat() const override;

  private:
    bool LocalPathFor(const wchar_t* name, wchar_t (&path)[WorkerState::kPathCapacity]);
    bool RuleComparesTimes() const;
    void AskExactTime(Node* node);
    bool MayWriteLocalFile(Node* node, bool* resume);
    void StartFile(Node* node, bool resume);
    bool HandOffFile(Node* node, DWORD type, bool resume);
    void OpenAndCopy(Node* node, DWORD type, bool resume);
    FILE* OpenRemoteAndPart(Node* node, DWORD type, ULONGLONG offset, RemoteFileHandle* remote);
    void CopyOpenFile(Node* node, const RemoteFileHandle& remote, FILE* local, ULONGLONG size,
                      ULONGLONG offset);
    // A file the server confirmed whose part file has yet to take the target's place.
    struct FinishedFile {
        std::wstring name;  // on the server
        std::wstring localName;
        std::wstring target;
        std::wstring moveTarget;  // the target's path as the move names it
        DWORD moveFlags;
        ULONGLONG size;
        KnownTime time;  // the server's, which the file has already
    };
    void HoldFinishedFile(Node* node, ULONGLONG size);
    void StartLocalSteps(bool newPart);
    FILE* FinishLocalSteps();
    void Moved(const FinishedFile& file);
    bool ReportUnmoved();
    void SizeSelectedFiles();
    CopyEnd Copy(const RemoteFileHandle& remote, ULONGLONG size, ULONGLONG offset);
    bool WriteBlock(const char* block, DWORD count);
    void ReportProgress(bool force) override;

    static const DWORD kFlushIntervalMs = 1000;

    DownloadCounters& counters;
    DWORD lastFlushTick;
    wchar_t localFolder[WorkerState::kPathCapacity];
    wchar_t localFile[WorkerState::kPathCapacity];
    wchar_t partFile[WorkerState::kPathCapacity];
    // The name of the entry being handled in its local folder.
    std::wstring localName;
    // Why MayEnter refused the folder being entered, as an error prompt's text.
    const wchar_t* refusal;
    // The length of localFolder before each folder still being walked was entered.
    std::vector<size_t> parentLengths;
    // What each of those folders, and the one being written, holds: read once
    // per folder, kept up to date with what this walk writes.
    std::vector<LocalFolderNames> folderNames;
    LocalFileSteps steps;
    std::unique_ptr<FinishedFile> finished;  // held for the next batch
    std::unique_ptr<FinishedFile> moving;    // in the batch under way
    std::unique_ptr<FinishedFile> unmoved;   // its move failed: for the prompt
};
