#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "framework/BaseDlg.h"
#include "ftp/TransferMessages.h"
#include "ftp/TransferTypes.h"
#include "transfer_ui/PanelLayout.h"
#include "transfer_ui/RecentRate.h"

// The counters of either direction, named; the workers' records order them differently.
struct PanelFigures {
    DWORD filesDone;
    DWORD folders;
    ULONGLONG totalBytes;
    ULONGLONG currentFileSize;
    ULONGLONG currentFileBytes;
    DWORD elapsedMs;
    FailureCounts failures;
    const RunTotals* run;
};

// What the download and upload panels share: the session fields of the hosting
// view, the current file and the whole run with their bars, the recent rate
// and the time left, a line per connection, the counts, what failed, and the
// Cancel/Done button. It lays its controls out itself across the view's whole
// width, whatever it is, and scrolls when the view is too short for them all.
class ProgressPanel : public BaseDlg {
  public:
    // direction names the run at its end: "Download" or "Upload".
    ProgressPanel(int currentItemId, UINT buttonMessage, const wchar_t* direction);

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    // What the hosting view names itself: its session, server and login. Kept
    // for a panel created later, shown at once on one already up.
    void SetLabels(const wchar_t* session, const wchar_t* host, const wchar_t* user);
    void ShowFile(const wchar_t* name);
    // panelDone shows Done in place of Cancel and says how the run ended; any
    // other mode shows Cancel.
    void SetButtonMode(int mode);
    // The user's cancel took: the run's end is told as cancelled.
    void NoteCancelled() { cancelled = true; }
    // Appends a line to the run's report (what failed, and why), which the
    // user can scroll and copy; the report shows from its first line on.
    void AddReportLine(const std::wstring& line);

  protected:
    void ShowItem(const wchar_t* name, const wchar_t* kind);
    void ShowFigures(const PanelFigures& figures);
    // Shows text in the control; a text whose length changes may need other rows.
    void SetText(int id, const std::wstring& text);
    void SetShown(int id, bool shown);
    // Lays the rows out again when a text or a row changed since the last time.
    void Settle();
    virtual void OnInitPanel() {}
    // Rows of a panel's own below the counts.
    virtual void LayOutOwnRows(PanelLayout&) {}

  private:
    static const size_t kLabelCapacity = 64;

    void StartRun();
    void ShowLabels();
    void MakeConnectionLines();
    void ShowRun(const PanelFigures& figures);
    void ShowConnections(const RunTotals& run);
    void ShowFailures(const FailureCounts& failures);
    void LayOut();
    void PlaceRows(int width, int height);
    void UpdateScrollBar(int contentHeight, int height);
    void Scroll(int code);

    int currentItemId;
    UINT buttonMessage;
    const wchar_t* direction;
    wchar_t sessionLabel[kLabelCapacity];
    wchar_t hostLabel[kLabelCapacity];
    wchar_t userLabel[kLabelCapacity];
    PanelLayout layout;
    RecentRate rate;
    std::map<int, std::wstring> shownTexts;
    FailureCounts failures;
    bool cancelled;
    bool layoutDirty;
    bool layingOut;
    int scrollTop;
};
