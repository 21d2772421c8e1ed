#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

#include "browsers/BrowseWnd.h"
#include "ftp/ConnectionThread.h"
#include "ftp/FtpFS.h"
#include "transfer_ui/TransferPromptHost.h"

// The view of one open connection: the server's current directory in the
// file list, over the view's own engine. Everything it asks of the server
// runs on the connection's thread; the view shows the result when it comes,
// and meanwhile says what it waits for.
class FtpBrowseWnd : public BrowseWnd {
  public:
    static const size_t kLabelCapacity = 64;

    // The view's engine decides the protocol; FTP unless given.
    explicit FtpBrowseWnd(std::shared_ptr<RemoteFS> engine = std::make_shared<FtpFS>());
    ~FtpBrowseWnd() override;

    bool CreateBrowser(const wchar_t* windowName, DWORD style, int x, int y, int width, int height,
                       BaseWnd* parent) override;
    // Posts the login of the view's engine; port 0 is the FTP port. A failed
    // login is told when it ends; false when the view has no thread to log in.
    bool Connect(const wchar_t* host, const wchar_t* user, const wchar_t* password,
                 const wchar_t* sessionName, INTERNET_PORT port);
    // Takes over the connection of an engine that logged in elsewhere.
    void AdoptLogin(RemoteFS& loggedIn, const wchar_t* host, const wchar_t* user,
                    const wchar_t* sessionName);
    // Only while the view is idle may the caller use the engine on its own thread.
    RemoteFS& GetEngine() { return engine; }

    const wchar_t* GetSessionName() override { return sessionName; }
    const wchar_t* GetProtectionNote() override { return engine.ProtectionNote(); }
    const wchar_t* GetHost() override { return host; }
    const wchar_t* GetUser() override { return user; }
    bool IsIdle() override;
    void AbandonRequest() override;
    void StartUpload(PtrList<WString*>& items) override;

    int RenameItem(const wchar_t* oldName, const wchar_t* newName) override;
    int CreateFolder(wchar_t* name) override;
    void Refresh() override;
    // The folder the last request found; the server is not asked.
    const wchar_t* GetCurrentPath() override;
    void OpenFolder(const wchar_t* name) override;
    HMENU GetContextMenu() override;
    // The next Refresh lists that folder.
    void SetCurrentPath(const wchar_t* path) override;
    void UpdateMenuItems(HMENU menu, WORD buttonId, WORD high) override;
    void OnContextCommand(LPARAM lParam, WORD code, WORD id) override;

  protected:
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool EditsNewFolderName() override { return false; }
    void OnRequestDone(WPARAM number) override;
    void DeleteEntries(const std::vector<SelectedEntry>& entries) override;

  private:
    // Runs the job on the connection's thread and the completion here when it ends.
    void Request(const std::wstring& status, ConnectionThread::Job job,
                 ConnectionThread::Completion done);
    // Changes to the folder (none: stays), lists it and shows it.
    void ListFolder(const std::wstring& folder, const std::wstring& status);
    // Clears the busy status, or shows a note in its place.
    void ShowIdle();
    ConnectionThread::Completion IdleFirst(ConnectionThread::Completion done);
    // Shows a listing's result, or tells why there is none and keeps the rows.
    void ShowFolder(std::vector<ListedEntry>& entries, const std::wstring& path,
                    const RequestResult& result);
    void CreateFolderNamed(const std::wstring& name);
    void Rename(const std::wstring& oldName, const std::wstring& newName, bool relist);
    // Tells a failed login or a connection that failed again after one; true when it did.
    bool ReportConnectionFailure(const RequestResult& result);
    void ShowError(const std::wstring& text, const wchar_t* title = L"Error");
    void DownloadSelection();
    bool MayReplace(const wchar_t* name);
    // Worker reports go to the panels; the panels' buttons end or cancel the run.
    void OnTransferMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPanelButton(bool download, WPARAM button);
    // A worker's entry went across under a mapped name: a line of the panel's report.
    void OnNameMapped(bool download, const wchar_t* remote, const wchar_t* local);
    void SetLabels(const wchar_t* hostName, const wchar_t* userName, const wchar_t* session);

    // Before the engine: an open prompt closes only once the view's end has
    // cancelled the workers, which ends their waits for answers.
    TransferPrompts prompts{this};
    // Shared with the connection's thread, which may outlive the view while
    // a blocked call of its is being released.
    std::shared_ptr<RemoteFS> sharedEngine;
    RemoteFS& engine;
    ConnectionThread connection;
    std::wstring currentDir;
    std::wstring nextDir;
    // The fall-back to passive mode is told once per view.
    bool passiveNoted = false;
    wchar_t sessionName[kLabelCapacity];
    wchar_t host[kLabelCapacity];
    wchar_t user[kLabelCapacity];
    HMENU contextMenus;
};
