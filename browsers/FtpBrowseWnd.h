#pragma once

#include <windows.h>
#include <wininet.h>

#include "browsers/BrowseWnd.h"
#include "ftp/FtpFS.h"
#include "transfer_ui/TransferPromptHost.h"

// The view of one open connection: the server's current directory in the
// file list, over the view's own engine.
class FtpBrowseWnd : public BrowseWnd {
  public:
    static const size_t kLabelCapacity = 64;

    FtpBrowseWnd();
    ~FtpBrowseWnd() override;

    // Logs the view's engine in on the calling thread; port 0 is the FTP port.
    bool Connect(const wchar_t* host, const wchar_t* user, const wchar_t* password,
                 const wchar_t* sessionName, INTERNET_PORT port);
    // Takes over the connection of an engine that logged in elsewhere.
    void AdoptLogin(FtpFS& loggedIn, const wchar_t* host, const wchar_t* user,
                    const wchar_t* sessionName);
    // Says once that the connection dropped and asks the frame to close the view.
    void ReportDropped();
    FtpFS& GetEngine() { return engine; }

    const wchar_t* GetSessionName() override { return sessionName; }
    const wchar_t* GetProtectionNote() override {
        return engine.IsEncrypted() ? L" (TLS)" : L" (not encrypted)";
    }
    const wchar_t* GetHost() override { return host; }
    const wchar_t* GetUser() override { return user; }
    bool IsIdle() override;
    void StartUpload(PtrList<WString*>& items) override;

    int RenameItem(const wchar_t* oldName, const wchar_t* newName) override;
    int CreateFolder(wchar_t* name) override;
    void Refresh() override;
    const wchar_t* GetCurrentPath() override;
    void OpenFolder(const wchar_t* name) override;
    void DeleteFileItem(const wchar_t* name) override;
    void DeleteFolderItem(const wchar_t* name) override;
    HMENU GetContextMenu() override;
    void SetCurrentPath(const wchar_t* path) override;
    void UpdateMenuItems(HMENU menu, WORD buttonId, WORD high) override;
    void OnContextCommand(LPARAM lParam, WORD code, WORD id) override;

  protected:
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool EditsNewFolderName() override { return false; }
    std::wstring FailureText(const wchar_t* text) override;

  private:
    void DownloadSelection();
    bool MayReplace(const wchar_t* name);
    // Worker reports go to the panels; the panels' buttons end or cancel the run.
    void OnTransferMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPanelButton(bool download, WPARAM button);
    void SetLabels(const wchar_t* hostName, const wchar_t* userName, const wchar_t* session);

    DWORD dropped;
    // Before the engine: the engine's end cancels its workers, which ends
    // their waits for answers, before the open prompt closes.
    TransferPrompts prompts{this};
    FtpFS engine;
    wchar_t currentDir[FtpFS::kTextCapacity];
    wchar_t sessionName[kLabelCapacity];
    wchar_t host[kLabelCapacity];
    wchar_t user[kLabelCapacity];
    HMENU contextMenus;
};
