#pragma once

#include <windows.h>

// Messages between the transfer workers, the FTP view and its progress panels.
// The workers send them (SendMessageW) to the window given to StartDownload or
// StartUpload and wait until it has handled each.

// Download worker: wParam local file path, lParam remote file name.
const UINT WM_DOWNLOAD_FILE = WM_USER + 1;
// Download worker: wParam DownloadCounters*.
const UINT WM_DOWNLOAD_PROGRESS = WM_USER + 2;
// Download worker at its start: show the download panel.
const UINT WM_DOWNLOAD_STARTED = WM_USER + 3;
// Download worker at a normal end, or CancelDownload: the panel shows Done.
const UINT WM_DOWNLOAD_ENDED = WM_USER + 4;
// Download worker: wParam local folder path, lParam remote folder name.
const UINT WM_DOWNLOAD_FOLDER = WM_USER + 5;
// Upload worker: wParam local file path, lParam remote file name.
const UINT WM_UPLOAD_FILE = WM_USER + 6;
// Upload worker: wParam UploadCounters*.
const UINT WM_UPLOAD_PROGRESS = WM_USER + 8;
// Upload worker at its start: show the upload panel.
const UINT WM_UPLOAD_STARTED = WM_USER + 9;
// Upload worker at a normal end, or CancelUpload: the panel shows Done.
const UINT WM_UPLOAD_ENDED = WM_USER + 10;
// Upload and download workers: wParam the error text; the result is a TransferAnswer.
const UINT WM_UPLOAD_ERROR = WM_USER + 12;
const UINT WM_DOWNLOAD_ERROR = WM_USER + 13;
// Download and upload panels to the FTP view: wParam a PanelButton.
const UINT WM_DOWNLOAD_PANEL_BUTTON = WM_USER + 100;
const UINT WM_UPLOAD_PANEL_BUTTON = WM_USER + 101;

// The user's answer to an error prompt.
enum TransferAnswer : LRESULT {
    answerRetry = 0,
    answerIgnore = 1,
    answerAbort = 2,
    answerIgnoreAll = 3
};

enum PanelButton : WPARAM { panelDone = 1, panelCancel = 2 };
