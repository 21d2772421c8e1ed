#pragma once

#include <windows.h>

#include "framework/PtrList.h"
#include "framework/WString.h"
#include "ftp/RemoteFS.h"
#include "ftp/WalkItem.h"

// The one remote folder walk behind the download, the upload and the tree
// delete; each adds its own steps through the hooks. Items are taken from the
// tail of the work list and a folder's entries are appended to it, so the last
// selected item goes first and a folder is finished before anything selected
// earlier. A folder is entered by its name and its absolute path learned with
// PWD; it is left by its parent's absolute path, never "..", so the walk cannot
// climb above where it started, and it goes back there when it stops early.
class FolderWalk {
  public:
    FolderWalk(RemoteFS& engine, WalkList& work);
    virtual ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

  protected:
    using Node = WalkList::Node;

    // Works the list, from the remote folder startPath, until it is empty or Stopped().
    void Walk(const wchar_t* startPath);
    virtual bool Stopped() const { return aborted; }
    // Finishes what a step left under way past its own item (a download's last
    // move), before the walk enters or leaves a folder and when the list ran
    // empty; true when that put an item back on the list for another try,
    // which the walk then takes first, still in that item's folder.
    virtual bool SettleHeldWork() { return false; }
    // Called before each step: what the walk must look after besides its list.
    virtual void BetweenSteps() {}
    // An entry a listing of the walk found and put on the list.
    virtual void EntryListed(bool, ULONGLONG) {}

    // A step failed because the connection is gone: logs in again and goes
    // back to CurrentRemotePath(). True when the step may be tried again.
    virtual bool RecoverConnection() { return false; }
    const wchar_t* CurrentRemotePath() const { return currentPath; }

    virtual void EnterFolder(Node* node) = 0;
    virtual void HandleFile(Node* node) = 0;
    // The folder's entries are done and the walk tried to go back to its
    // parent; returned tells whether it is there. The hook drops the node.
    virtual void FolderLeft(Node* node, bool returned) = 0;

    // Whether the walk may stay in the folder it just changed into, now that
    // its absolute path is known; the walk's current path is still the parent's.
    virtual bool MayEnter(const wchar_t*, const wchar_t*) { return true; }

    // Changes into the remote folder and marks node as the folder being walked
    // until its entries are done. False (and still in the parent) on failure
    // or when MayEnter refused it.
    bool EnterRemoteFolder(Node* node, const wchar_t* name);
    // Undoes the last EnterRemoteFolder; false when the parent could not be reached.
    bool LeaveRemoteFolder();
    // Appends the current remote folder's entries, with their sizes; false
    // when the folder could not be listed (an empty one is no failure).
    bool ListRemoteFolder();

    // A folder whose path is its parent's plus its name: not a link that leads elsewhere.
    bool IsChildOfCurrent(const wchar_t* folderPath, const wchar_t* name) const;
    // The folder is the current one or one above it on the walk's way down.
    bool IsOnWalkPath(const wchar_t* folderPath) const;
    // How many folders the walk has entered below where it started.
    size_t Depth() const { return marks.GetCount(); }
    // Back to where the walk started, when it stopped elsewhere.
    void ReturnToStart();

    void AddItem(bool folder, const wchar_t* text, ULONGLONG size = 0, bool sized = false,
                 KnownTime time = KnownTime());
    void DropItem(Node* node);

    RemoteFS& engine;
    WalkList& work;
    // Set when the walk must stop: the user's Abort, or nowhere known to go on from.
    bool aborted;
    // The connection was lost and came back during the current item's step.
    bool reconnected;

  private:
    // Changes the remote folder, once more after a lost connection came back.
    bool ChangeRemoteFolder(const wchar_t* path);

    struct FolderMark {
        Node* item;
        WString parentPath;
    };

    PtrList<FolderMark*> marks;
    wchar_t startPath[RemoteFS::kTextCapacity];
    wchar_t currentPath[RemoteFS::kTextCapacity];
};
