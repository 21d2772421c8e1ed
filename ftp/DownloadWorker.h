#pragma once

#include <vector>

#include "ftp/TransferWalk.h"

// Copies remote files and folder trees into a local directory. Local files are
// opened by their wide names; a name the local file system cannot hold, or a
// path longer than the buffers, is reported instead of being cut or changed.
class DownloadWorker : public TransferWalk {
  public:
    DownloadWorker(FtpFS& engine, WorkerState& state, DownloadCounters& counters,
                   const wchar_t* targetDir);

  protected:
    void EnterFolder(Node* node) override;
    void TransferFile(Node* node) override;
    void FolderLeft() override;

  private:
    bool LocalPathFor(const wchar_t* name, wchar_t (&path)[WorkerState::kPathCapacity]);
    bool MayWriteLocalFile(Node* node);
    void OpenAndCopy(Node* node);
    enum class CopyEnd { complete, stopped, writeFailed };
    // stopped: by a cancel or by the user's answer to a failed read.
    CopyEnd Copy(HINTERNET remote, ULONGLONG size);
    bool WriteBlock(const char* block, DWORD count, bool last);
    void ListFolder();
    void ReportProgress(bool force);

    DownloadCounters& counters;
    wchar_t localFolder[WorkerState::kPathCapacity];
    wchar_t localFile[WorkerState::kPathCapacity];
    // The length of localFolder before each folder still being walked was entered.
    std::vector<size_t> parentLengths;
};
