#pragma once

#include <windows.h>

#include <string>

#include "framework/PtrList.h"
#include "framework/WString.h"
#include "ftp/FtpFS.h"
#include "ftp/TransferMessages.h"
#include "ftp/WorkerState.h"

class BaseWnd;

// The walk both transfer workers share. Items are taken from the tail of the
// work list and a folder's entries are appended to it, so the last selected
// item goes first and a folder is finished before anything selected earlier.
// Remote folders are left by their parent's absolute path, never by "..", so
// the walk cannot climb above where it started; after an abort it goes back
// there too. Failures go to the user through the error prompt.
class TransferWalk {
  public:
    // Blocks are 5120 bytes: a shorter read or fread marks the end of a file.
    static const DWORD kBlockSize = 5120;
    // Local streams buffer this much, so the blocks reach the disk in large
    // reads and writes instead of a system call or two per block.
    static const size_t kLocalBufferSize = 256 * 1024;

    TransferWalk(FtpFS& engine, WorkerState& state, UINT errorMessage);
    virtual ~TransferWalk();
    TransferWalk(const TransferWalk&) = delete;
    TransferWalk& operator=(const TransferWalk&) = delete;

    // Works the list until it is empty, cancelled or aborted; true when cancelled.
    bool Run();

  protected:
    using Node = TransferList::Node;

    static const wchar_t* ItemText(const Node* node) { return node->element->GetText() + 1; }

    virtual void EnterFolder(Node* node) = 0;
    virtual void TransferFile(Node* node) = 0;
    // Called once the remote side is back in the folder's parent.
    virtual void FolderLeft() {}

    // Changes into the remote folder and marks node as the folder being walked
    // until its entries are done. False (and still in the parent) on failure.
    bool EnterRemoteFolder(Node* node, const wchar_t* name);
    // Undoes the last EnterRemoteFolder.
    void LeaveRemoteFolder();

    void AddItem(bool folder, const wchar_t* text);
    void DropItem(Node* node);

    // A file or folder that could not be handled: unless cancelled, asks the
    // user (with the server's reason where it refused; Ignore All answers for
    // every later failure) and keeps the item for another try (Retry, the
    // first Ignore All) or drops it.
    void Failed(Node* node, const wchar_t* format, const wchar_t* subject);
    // A block that failed inside a file: true when the user wants it tried again.
    bool RetryBlock(const wchar_t* format, const wchar_t* subject);

    bool Cancelled() const { return engineState.cancel != 0; }
    void Notify(UINT message, WPARAM wParam, LPARAM lParam);
    // The window object the prompts are owned by; null when the notify window has none.
    BaseWnd* PromptOwner();
    DWORD ElapsedMs() const { return GetTickCount() - startTick; }
    // Progress goes out when forced (a file's start and end) and otherwise at
    // most every kProgressIntervalMs: a sent message costs the worker a trip
    // to the other thread, which a report per block would pay 200000 times a GiB.
    bool ProgressDue(bool force);

    FtpFS& engine;
    WorkerState& engineState;

  private:
    static const DWORD kProgressIntervalMs = 50;

    struct FolderMark {
        Node* item;
        WString parentPath;
    };

    TransferAnswer Ask(const wchar_t* format, const wchar_t* subject, const std::wstring& reason);
    void ReturnToStart();

    const UINT errorMessage;
    PtrList<FolderMark*> marks;
    wchar_t currentPath[FtpFS::kTextCapacity];
    DWORD startTick;
    DWORD lastProgressTick;
    bool aborted;
};
