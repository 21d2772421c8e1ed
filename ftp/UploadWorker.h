#pragma once

#include "ftp/TransferWalk.h"

// Copies local files and folder trees into the remote current directory. Items
// carry full local paths; the remote side follows the walk folder by folder.
class UploadWorker : public TransferWalk {
  public:
    UploadWorker(FtpFS& engine, WorkerState& state, UploadCounters& counters);

  protected:
    void EnterFolder(Node* node) override;
    void HandleFile(Node* node) override;

  private:
    enum class CopyEnd { complete, stopped, failed };  // stopped: by a cancel
    CopyEnd Copy(HINTERNET remote, FILE* local);
    bool WriteBlock(HINTERNET remote, const char* block, DWORD count);
    void ListFolder(const wchar_t* path);
    void ReportProgress(bool force) override;

    UploadCounters& counters;
};
