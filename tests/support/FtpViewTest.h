#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "browsers/FtpBrowseWnd.h"
#include "support/FrameTest.h"
#include "support/FtpFixture.h"
#include "support/ListRows.h"

// A connection's view in the frame, logged in to the fixture server under a
// session name too long for its field (70 characters) and standing in a folder
// of the test's own, `remote` as Wine reaches it.
class FtpViewTest : public FrameTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Load()) << kFixtureMissing;
        FrameTest::SetUp();
        remote = WinePath(server.root) + L"\\" + TestFolderName();
        CreateDirectoryW(remote.c_str(), nullptr);
        view = new FtpBrowseWnd;
        ASSERT_TRUE(
            view->CreateBrowser(L"BrowseWnd", WS_CHILD | WS_VISIBLE, 0, 0, 320, 300, &frame));
        ASSERT_TRUE(view->Connect(server.host.c_str(), server.user.c_str(), server.password.c_str(),
                                  std::wstring(70, L's').c_str(), server.port));
        frame.AddView(view, L"xfer");
        view->OpenFolder((L"/" + TestFolderName()).c_str());
        Wait();
    }

    // The view's requests run on its connection's thread: their results show once it is idle.
    void Wait() { ASSERT_TRUE(WaitUntilIdle(*view)); }

    void MakeFile(const std::wstring& relative) {
        ASSERT_TRUE(WriteTestFile(remote + L"\\" + relative, 10, 1));
    }
    bool Exists(const std::wstring& relative) {
        return GetFileAttributesW((remote + L"\\" + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::wstring Cell(int row, int column) { return CellText(view->GetFileList(), row, column); }
    std::vector<std::wstring> Rows() { return RowNames(view->GetFileList()); }
    void Select(std::initializer_list<const wchar_t*> names) {
        SelectRows(view->GetFileList(), names);
    }

    FixtureServer server;
    std::wstring remote;
    FtpBrowseWnd* view = nullptr;
};
