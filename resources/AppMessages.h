#pragma once

#include <windows.h>

// Every window message the program sends or posts between its own windows and
// threads. They start at WM_APP, so none can be taken for a message of the
// dialog manager or of a common control (those lie between WM_USER and
// WM_APP), and each number means one thing wherever it arrives.
enum AppMessage : UINT {
    // Pocket PC shell: a tap-and-hold is raised; wParam the list, lParam the screen point.
    WM_APP_TAP_AND_HOLD = WM_APP + 1,

    // Login worker to its notify window (posted): logged in, or failed.
    WM_APP_LOGGED_IN = WM_APP + 10,
    WM_APP_LOGIN_FAILED,
    // Connecting dialog to itself (posted): its Cancel was pressed.
    WM_APP_CANCEL_LOGIN,
    // Engine to its status window during a login: wParam status code, lParam StatusReport*.
    WM_APP_CONNECT_STATUS,

    // Download worker to the FTP view: wParam local file path, lParam remote file name.
    WM_APP_DOWNLOAD_FILE = WM_APP + 30,
    // Download worker: wParam DownloadCounters*.
    WM_APP_DOWNLOAD_PROGRESS,
    // Download worker at its start: show the download panel.
    WM_APP_DOWNLOAD_STARTED,
    // Download worker at its end: the panel shows Done.
    WM_APP_DOWNLOAD_ENDED,
    // Download worker: wParam local folder path, lParam remote folder name.
    WM_APP_DOWNLOAD_FOLDER,
    // Download worker (posted): the error prompt; lParam a new PromptRequest::Shared*,
    // taken over by the receiver (PromptRequest::Take), answered with a TransferAnswer.
    WM_APP_DOWNLOAD_ERROR,
    // Upload worker: wParam local file path, lParam remote name.
    WM_APP_UPLOAD_FILE,
    // Upload worker: wParam UploadCounters*.
    WM_APP_UPLOAD_PROGRESS,
    // Upload worker at its start: show the upload panel.
    WM_APP_UPLOAD_STARTED,
    // Upload worker at its end: the panel shows Done.
    WM_APP_UPLOAD_ENDED,
    // Upload worker (posted): the error prompt, as WM_APP_DOWNLOAD_ERROR.
    WM_APP_UPLOAD_ERROR,
    // Download and upload panels to the FTP view: wParam a PanelButton.
    WM_APP_DOWNLOAD_PANEL_BUTTON,
    WM_APP_UPLOAD_PANEL_BUTTON,
    // Either worker (posted): a "File exist" or transfer type prompt; lParam a new
    // PromptRequest::Shared*, taken over by the receiver, answered with an option code.
    WM_APP_TRANSFER_PROMPT,
    // Either worker: an item failed for good; wParam its name or path, lParam
    // the reason (the server's reply or the local error, may be empty).
    WM_APP_DOWNLOAD_ITEM_FAILED,
    WM_APP_UPLOAD_ITEM_FAILED,
    // Either worker: an entry went across under a mapped name (a remote name
    // Windows cannot hold); wParam the remote name, lParam the local name.
    WM_APP_DOWNLOAD_NAME_MAPPED,
    WM_APP_UPLOAD_NAME_MAPPED,

    // A connection's thread to its view (posted): a request ended; wParam its number.
    WM_APP_REQUEST_DONE = WM_APP + 50,
};
