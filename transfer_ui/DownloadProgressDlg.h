#pragma once

#include "ftp/TransferTypes.h"
#include "transfer_ui/ProgressPanel.h"

// The panel a view shows in place of its list while a download runs; it also
// shows how much room is left where downloads are stored.
class DownloadProgressDlg : public ProgressPanel {
  public:
    DownloadProgressDlg();

    void ShowFolder(const wchar_t* name);
    void ShowProgress(const DownloadCounters* counters);
    void ShowStorage();

  protected:
    void OnInitPanel() override;
};
