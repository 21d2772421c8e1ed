#include "transfer_ui/DownloadProgressDlg.h"

#include <commctrl.h>

#include <vector>

#include "resources/resource.h"
#include "transfer_ui/ProgressText.h"

DownloadProgressDlg::DownloadProgressDlg()
    : ProgressPanel(IDC_DOWNLOAD_CURRENT_ITEM, WM_APP_DOWNLOAD_PANEL_BUTTON, L"Download") {}

void DownloadProgressDlg::OnInitPanel() {
    SendMessageW(GetItem(IDC_DOWNLOAD_STORE_BAR), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ShowStorage();  // the room left is worth knowing before the first file starts
}

void DownloadProgressDlg::LayOutOwnRows(PanelLayout& layout) {
    layout.Pair(IDC_DOWNLOAD_STORE_LABEL, IDC_DOWNLOAD_STORE_TEXT);
    layout.Bar(IDC_DOWNLOAD_STORE_BAR);
}

void DownloadProgressDlg::ShowFolder(const wchar_t* name) { ShowItem(name, L" [Folder]"); }

void DownloadProgressDlg::ShowProgress(const DownloadCounters* counters) {
    ShowFigures({counters->filesDone, counters->foldersEntered, counters->totalBytes,
                 counters->currentFileSize, counters->currentFileBytes, counters->elapsedMs,
                 counters->failures, &counters->run});
    ShowStorage();
}

namespace {

// Free and total bytes of the volume holding the folder; its root answers for
// a folder not made yet.
bool VolumeSpace(const std::wstring& folder, ULONGLONG* freeBytes, ULONGLONG* totalBytes) {
    std::vector<wchar_t> root(folder.size() + MAX_PATH);
    ULARGE_INTEGER available, total;
    if (folder.empty() ||
        !GetVolumePathNameW(folder.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetDiskFreeSpaceExW(root.data(), &available, &total, nullptr))
        return false;
    *freeBytes = available.QuadPart;
    *totalBytes = total.QuadPart;
    return true;
}

}  // namespace

void DownloadProgressDlg::SetStorageFolder(const wchar_t* folder) {
    storageFolder = folder ? folder : L"";
}

void DownloadProgressDlg::ShowStorage() {
    ULONGLONG freeBytes = 0, totalBytes = 0;
    if (!VolumeSpace(storageFolder, &freeBytes, &totalBytes)) return;
    SendMessageW(GetItem(IDC_DOWNLOAD_STORE_BAR), PBM_SETPOS,
                 FreeStorePercent(freeBytes, totalBytes), 0);
    SetText(IDC_DOWNLOAD_STORE_TEXT, StorageText(freeBytes, totalBytes));
    Settle();
}
