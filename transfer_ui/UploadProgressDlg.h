#pragma once

#include "ftp/TransferTypes.h"
#include "transfer_ui/ProgressPanel.h"

// The panel a view shows in place of its list while an upload into it runs.
class UploadProgressDlg : public ProgressPanel {
  public:
    UploadProgressDlg();

    void ShowProgress(const UploadCounters* counters);
};
