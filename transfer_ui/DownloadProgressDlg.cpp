#include "transfer_ui/DownloadProgressDlg.h"

#include <cestore.h>
#include <commctrl.h>

#include "resources/resource.h"
#include "transfer_ui/ProgressText.h"

DownloadProgressDlg::DownloadProgressDlg()
    : ProgressPanel(IDC_DOWNLOAD_CURRENT_ITEM, WM_DOWNLOAD_PANEL_BUTTON) {}

void DownloadProgressDlg::OnInitPanel() {
    SendMessageW(GetItem(IDC_DOWNLOAD_STORE_BAR), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ShowStorage();  // the room left is worth knowing before the first file starts
}

void DownloadProgressDlg::ShowFolder(const wchar_t* name) { ShowItem(name, L" [Folder]"); }

void DownloadProgressDlg::ShowProgress(const DownloadCounters* counters) {
    ShowFigures({counters->filesDone, counters->foldersEntered, counters->totalBytes,
                 counters->currentFileSize, counters->currentFileBytes, counters->elapsedMs,
                 counters->failures});
    ShowStorage();
}

void DownloadProgressDlg::ShowStorage() {
    STORE_INFORMATION store = {};
    if (!GetStoreInformation(&store)) return;
    SendMessageW(GetItem(IDC_DOWNLOAD_STORE_BAR), PBM_SETPOS,
                 FreeStorePercent(store.dwFreeSize, store.dwStoreSize), 0);
    wchar_t text[64];
    FormatStorage(text, 64, store.dwFreeSize, store.dwStoreSize);
    SetDlgItemTextW(hwnd, IDC_DOWNLOAD_STORE_TEXT, text);
}
