#include "transfer_ui/UploadProgressDlg.h"

#include "resources/resource.h"

UploadProgressDlg::UploadProgressDlg()
    : ProgressPanel(IDC_UPLOAD_CURRENT_ITEM, WM_APP_UPLOAD_PANEL_BUTTON, L"Upload") {}

void UploadProgressDlg::ShowProgress(const UploadCounters* counters) {
    ShowFigures({counters->filesDone, counters->foldersCreated, counters->totalBytes,
                 counters->currentFileSize, counters->currentFileBytes, counters->elapsedMs,
                 counters->failures, &counters->run});
}
