#pragma once

#include <string>

#include "ftp/TransferTypes.h"
#include "transfer_ui/ProgressPanel.h"

// The panel a view shows in place of its list while a download runs; it also
// shows how much room is left on the volume the download goes to.
class DownloadProgressDlg : public ProgressPanel {
  public:
    DownloadProgressDlg();

    // The folder downloads are written into, whose volume the storage figures describe.
    void SetStorageFolder(const wchar_t* folder);
    void ShowFolder(const wchar_t* name);
    void ShowProgress(const DownloadCounters* counters);
    void ShowStorage();

  protected:
    void OnInitPanel() override;
    void LayOutOwnRows(PanelLayout& layout) override;

  private:
    std::wstring storageFolder;
};
