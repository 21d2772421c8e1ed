#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/BaseWnd.h"
#include "ftp/FtpFS.h"
#include "ftp/TransferMessages.h"
#include "support/DialogDriver.h"
#include "support/FtpFixture.h"
#include "support/GuiApp.h"
#include "support/ScratchFolder.h"
#include "transfer_ui/TransferPromptHost.h"

using Names = std::vector<std::wstring>;

// Stands in for the FTP view: a window of the test thread that records what
// the workers send and answers their error prompts from a script (then
// Ignore); their other questions it asks as the view does, in real prompts.
class TransferRecorder : public BaseWnd {
  public:
    // A progress report's figures, in one shape for both ways.
    struct Progress {
        DWORD filesDone, folders;  // folders entered or created
        ULONGLONG totalBytes, fileBytes;
        FailureCounts failures;
        DWORD connections;  // at work when the report was made
        ULONGLONG fileSize;
        std::map<std::wstring, ULONGLONG> lineBytes;  // each connection's file and its bytes
        std::vector<ULONGLONG> Counts() const { return {filesDone, folders, totalBytes}; }
    };
    struct Event {
        UINT message;
        std::wstring text, name;  // wParam and lParam texts
        Progress progress;
    };

    TransferRecorder();
    ~TransferRecorder() override { DestroyWnd(); }

    Names TextsOf(UINT message) const { return Collect(message, &Event::text); }
    Names NamesOf(UINT message) const { return Collect(message, &Event::name); }
    int Count(UINT message) const { return static_cast<int>(TextsOf(message).size()); }
    const Progress& LastProgress(UINT message) const;

    std::vector<Event> events;
    std::deque<LRESULT> answers;
    std::function<void(const Progress& progress)> onProgress;

  protected:
    Names Collect(UINT message, std::wstring Event::*field) const;
    static std::map<std::wstring, ULONGLONG> LineBytes(const RunTotals& run);
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;
    void AnswerFailure(UINT message, LPARAM posted);

    TransferPrompts prompts{this};
};

// A logged-in engine in the test's own folder on the fixture server (Remote:
// that folder as the Linux side shows it), a local scratch folder, the recorder
// and the driver that answers the workers' prompts.
class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override;

    std::wstring Remote(const std::wstring& relative) const { return remote + L"\\" + relative; }
    std::wstring Local(const std::wstring& relative) const { return local.Join(relative); }
    std::wstring CurrentDir();
    // Starts the transfer of the items ("D" or "F" and a name) through the
    // engine (this test's own unless given); Transfer also serves it to its end.
    HRESULT Start(bool upload, const Names& items, const std::wstring& target,
                  RemoteFS* through = nullptr);
    HRESULT Transfer(bool upload, const Names& items, const std::wstring& target,
                     RemoteFS* through = nullptr);
    // Into the local folder, or the named folder below it.
    HRESULT Download(const Names& items, const std::wstring& into = L"",
                     RemoteFS* through = nullptr) {
        return Transfer(false, items, into.empty() ? local.Path() : Local(into), through);
    }
    // Logs the engine in as the fixture's user, to the main server unless a port is given.
    HRESULT Login(FtpFS& ftp, WORD port = 0);
    // The same, then into the test's own folder.
    HRESULT LoginInFolder(FtpFS& ftp, WORD port = 0) {
        HRESULT result = Login(ftp, port);
        return result == S_OK ? ftp.SetCurrentDir((L"/" + TestFolderName()).c_str()) : result;
    }
    // Logs the engine in to the fixture's hostile server; false when it does not run.
    bool ConnectHostile(FtpFS& hostile);
    // Logs in to vsftpd (anonymous, with writes allowed) and enters a folder of
    // the test's own, `onServer` as Wine reaches it; false when it does not run.
    bool ConnectVsftpd(FtpFS& vsftpd, std::wstring& onServer);
    // Local names, relative to the local folder.
    HRESULT Upload(const Names& items) { return Transfer(true, items, L""); }

    GuiApp app;
    FixtureServer server;
    ScratchFolder local;
    TransferRecorder recorder;
    std::wstring remote, startDir;
    DialogDriver prompts;
    FtpFS engine;  // last: its workers end before the recorder goes
};
