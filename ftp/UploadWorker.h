#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "ftp/TransferWalk.h"

// Copies local files and folder trees into the remote current directory. Items
// carry full local paths; the remote side follows the walk folder by folder.
// A local name that a download mapped goes up under its original name.
// A file the remote folder already holds goes through the existing-file rule,
// checked against that folder's listing, read once per folder.
class UploadWorker : public TransferWalk {
  public:
    UploadWorker(RemoteFS& engine, WorkerState& state, UploadCounters& counters);

  protected:
    void EnterFolder(Node* node) override;
    void HandleFile(Node* node) override;
    void LocalFolderLeft() override;
    const wchar_t* JobSubject(const FileJob& job) const override;
    const wchar_t* FileFailureFormat() const override;

  private:
    struct RemoteFile {
        ULONGLONG size;
        KnownTime time;
    };
    using RemoteFiles = std::unordered_map<std::wstring, RemoteFile>;
    struct RemoteFolder {
        bool read;
        RemoteFiles files;
    };

    const RemoteFiles& FilesHere();
    DWORD ActionFor(const wchar_t* name, const KnownTime& source);
    static void SizeSelectedFiles(WalkList& items);
    void StartFile(Node* node, FILE* local, bool resume);
    void SendFile(Node* node, FILE* local, DWORD type, bool resume);
    ULONGLONG ResumeOffset(const wchar_t* name, ULONGLONG localSize);
    CopyEnd Copy(const RemoteFileHandle& remote, FILE* local, ULONGLONG offset);
    void ListFolder(const wchar_t* path);
    void ReportProgress(bool force) override;

    UploadCounters& counters;
    // The start folder's, then one per folder being walked.
    std::vector<RemoteFolder> remoteFolders;
};
