#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/BaseDlg.h"
#include "ftp/TransferMessages.h"
#include "ftp/TransferTypes.h"

// The counters of either direction, named; the workers' records order them differently.
struct PanelFigures {
    DWORD filesDone;
    DWORD folders;
    ULONGLONG totalBytes;
    ULONGLONG currentFileSize;
    ULONGLONG currentFileBytes;
    DWORD elapsedMs;
    FailureCounts failures;
};

// What the download and upload panels share: the session fields of the hosting
// view, the current item, the per-file bar and figures, and the Cancel/Done button.
class ProgressPanel : public BaseDlg {
  public:
    ProgressPanel(int currentItemId, UINT buttonMessage);

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    // What the hosting view names itself: its session, server and login. Kept
    // for a panel created later, shown at once on one already up.
    void SetLabels(const wchar_t* session, const wchar_t* host, const wchar_t* user);
    void ShowFile(const wchar_t* name);
    // panelDone shows Done in place of Cancel; any other mode shows Cancel.
    void SetButtonMode(int mode);

  protected:
    void ShowItem(const wchar_t* name, const wchar_t* kind);
    void ShowFigures(const PanelFigures& figures);
    void SetItemNumber(int id, ULONGLONG value);
    void ShowFailures(const FailureCounts& failures);
    virtual void OnInitPanel() {}

  private:
    static const size_t kLabelCapacity = 64;

    void ShowLabels();

    int currentItemId;
    UINT buttonMessage;
    wchar_t sessionLabel[kLabelCapacity];
    wchar_t hostLabel[kLabelCapacity];
    wchar_t userLabel[kLabelCapacity];

    // ---- Stand-in for the end report: the lines are kept, not yet shown. ----
  public:
    // A line for the report at the run's end, such as a name mapped on the way.
    void AddReportLine(const std::wstring& line);

  private:
    std::vector<std::wstring> reportLines;
    // ---- End of the stand-in. ----
};
