#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/BaseWnd.h"
#include "ftp/FtpFS.h"
#include "ftp/TransferMessages.h"
#include "support/FtpFixture.h"
#include "support/GuiApp.h"
#include "support/PromptAnswerer.h"
#include "support/ScratchFolder.h"

// Stands in for the FTP view: a window of the test thread that records what
// the workers send it and answers their error prompts from a script.
class TransferRecorder : public BaseWnd {
  public:
    struct Event {
        UINT message;
        std::wstring text;  // wParam text: a local path or the error text
        std::wstring name;  // lParam text: the remote name
        DWORD counters[6];  // a progress message's counters, by position
    };

    TransferRecorder();
    ~TransferRecorder() override;

    std::vector<std::wstring> Texts(UINT message) const;
    std::vector<std::wstring> Names(UINT message) const;
    int Count(UINT message) const;
    // The counters of the last progress message; zeros when there was none.
    std::vector<DWORD> LastCounters(UINT message) const;

    std::vector<Event> events;
    // Answers to the error prompts, in order; Ignore once they are used up.
    std::deque<LRESULT> answers;
    // Called on each progress message with its counters.
    std::function<void(const DWORD* counters)> onProgress;

  protected:
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Serves the test thread until the engine is idle again, answering the
// worker's prompts; counts the prompts answered by caption. False on timeout.
bool PumpUntilIdle(FtpFS& engine, const std::vector<PromptAnswer>& prompts = {},
                   std::map<std::wstring, int>* answered = nullptr);

// A work list from items such as L"Dfolder" or L"Ffile".
class ItemList {
  public:
    ItemList(std::initializer_list<std::wstring> items);
    ~ItemList();
    const TransferList& Get() const { return list; }

  private:
    TransferList list;
};

// A logged-in engine standing in the test's own folder on the fixture server,
// that folder as the Linux side shows it (Remote), a scratch folder on the
// local side and the recorder standing in for the FTP view.
class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override;

    std::wstring Remote(const std::wstring& relative) const;
    std::wstring Local(const std::wstring& relative) const { return local.Join(relative); }
    std::wstring CurrentDir();

    GuiApp app;
    FixtureServer server;
    ScratchFolder local;
    TransferRecorder recorder;
    std::wstring remoteFolder, startDir;
    FtpFS engine;  // last: its workers end before the recorder goes
};

// A file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// Every file below the folder, as paths relative to it.
std::vector<std::wstring> FilesBelow(const std::wstring& folder);
