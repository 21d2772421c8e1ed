#include "transfer_ui/ProgressPanel.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "framework/TextUtil.h"
#include "resources/resource.h"
#include "transfer_ui/ProgressText.h"

namespace {

const size_t kItemCapacity = 512;
// The report keeps room for this many lines, however short the view.
const int kReportLines = 3;
const int kWheelLines = 3;

}  // namespace

ProgressPanel::ProgressPanel(int currentItemId, UINT buttonMessage, const wchar_t* direction)
    : currentItemId(currentItemId),
      buttonMessage(buttonMessage),
      direction(direction),
      sessionLabel(),
      hostLabel(),
      userLabel(),
      layout(nullptr),
      failures(),
      cancelled(false),
      layoutDirty(false),
      layingOut(false),
      scrollTop(0) {}

BOOL ProgressPanel::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            StartRun();
            break;
        case WM_SIZE:
            LayOut();
            break;
        case WM_VSCROLL:
            Scroll(LOWORD(wParam));
            return TRUE;
        case WM_MOUSEWHEEL:
            for (int line = 0; line < kWheelLines; ++line)
                Scroll(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) break;
            SendMessageW(GetParent(handle), buttonMessage,
                         LOWORD(wParam) == IDOK ? panelDone : panelCancel, 0);
            return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}

// Each run gets a fresh window; what the object kept of the last run goes.
void ProgressPanel::StartRun() {
    layout = PanelLayout(hwnd);
    rate.Reset();
    shownTexts.clear();
    failures = FailureCounts();
    cancelled = false;
    scrollTop = 0;
    for (int bar : {IDC_PROGRESS_FILE_BAR, IDC_PROGRESS_RUN_BAR})
        SendMessageW(GetItem(bar), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    MakeConnectionLines();
    ShowLabels();
    OnInitPanel();
    LayOut();
}

void ProgressPanel::MakeConnectionLines() {
    WPARAM font = SendMessageW(hwnd, WM_GETFONT, 0, 0);
    for (DWORD line = 0; line < kMaxTransferConnections; ++line) {
        HWND control = CreateWindowExW(
            0, L"STATIC", L"", WS_CHILD | SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX, 0, 0, 0, 0, hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PROGRESS_CONNECTION_FIRST + line)),
            GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, font, FALSE);
    }
}

void ProgressPanel::SetLabels(const wchar_t* session, const wchar_t* host, const wchar_t* user) {
    CopyTextCut(sessionLabel, session);
    CopyTextCut(hostLabel, host);
    CopyTextCut(userLabel, user);
    if (hwnd) ShowLabels();
}

void ProgressPanel::ShowLabels() {
    SetText(IDC_PROGRESS_SESSION, sessionLabel);
    SetText(IDC_PROGRESS_HOST, hostLabel);
    SetText(IDC_PROGRESS_USER, userLabel);
}

void ProgressPanel::ShowFile(const wchar_t* name) { ShowItem(name, L" [File]"); }

void ProgressPanel::ShowItem(const wchar_t* name, const wchar_t* kind) {
    HWND bar = GetItem(IDC_PROGRESS_FILE_BAR);
    if (!GetItem(currentItemId) || !bar) return;
    wchar_t text[kItemCapacity + 16];
    CopyTextCut(text, kItemCapacity, name);
    AppendText(text, kind);
    SetText(currentItemId, text);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
}

void ProgressPanel::ShowFigures(const PanelFigures& figures) {
    HWND bar = GetItem(IDC_PROGRESS_FILE_BAR);
    if (!bar) return;
    SendMessageW(bar, PBM_SETPOS, FilePercent(figures.currentFileBytes, figures.currentFileSize),
                 0);
    SetText(IDC_PROGRESS_FILE_TEXT, AmountText(figures.currentFileBytes, figures.currentFileSize));
    ShowRun(figures);
    SetText(IDC_PROGRESS_FILE_COUNT, std::to_wstring(figures.filesDone));
    SetText(IDC_PROGRESS_DIR_COUNT, std::to_wstring(figures.folders));
    SetText(IDC_PROGRESS_BYTE_COUNT, BytesText(figures.totalBytes));
    ShowFailures(figures.failures);
    Settle();
}

// The run's bar and totals once the walk has found something to count; the
// time left follows from the recent rate and the bytes still to come.
void ProgressPanel::ShowRun(const PanelFigures& figures) {
    const RunTotals& run = *figures.run;
    rate.Add(figures.elapsedMs, figures.totalBytes);
    double bytesPerSecond = rate.BytesPerSecond();
    bool counted = run.filesFound > 0;
    SetShown(IDC_PROGRESS_RUN_BAR, counted);
    SetShown(IDC_PROGRESS_RUN_TEXT, counted);
    bool leftKnown = counted && bytesPerSecond > 0 && run.bytesFound > figures.totalBytes;
    ULONGLONG leftMs = leftKnown ? static_cast<ULONGLONG>((run.bytesFound - figures.totalBytes) *
                                                          1000.0 / bytesPerSecond)
                                 : 0;
    SetText(IDC_PROGRESS_TIME_TEXT, TimeText(bytesPerSecond, figures.elapsedMs, leftKnown, leftMs));
    ShowConnections(run);
    if (!counted) return;
    UINT percent = run.bytesFound ? FilePercent(figures.totalBytes, run.bytesFound)
                                  : figures.filesDone * 100 / run.filesFound;
    SendMessageW(GetItem(IDC_PROGRESS_RUN_BAR), PBM_SETPOS, std::min(percent, 100u), 0);
    SetText(IDC_PROGRESS_RUN_TEXT, RunText(figures.filesDone, figures.totalBytes, run));
}

// One line per connection, only when the run has more than one.
void ProgressPanel::ShowConnections(const RunTotals& run) {
    DWORD used = run.connections > 1 ? std::min(run.connections, kMaxTransferConnections) : 0;
    for (DWORD line = 0; line < kMaxTransferConnections; ++line) {
        int id = IDC_PROGRESS_CONNECTION_FIRST + static_cast<int>(line);
        SetShown(id, line < used);
        if (line < used) SetText(id, ConnectionText(line + 1, run.lines[line]));
    }
}

// Blank while nothing failed.
void ProgressPanel::ShowFailures(const FailureCounts& counts) {
    failures = counts;
    wchar_t text[64] = L"";
    if (counts.runFailed)
        swprintf(text, 64, L"Failed: the connection was lost");
    else if (counts.files || counts.folders)
        swprintf(text, 64, L"Failed: %lu files, %lu folders",
                 static_cast<unsigned long>(counts.files),
                 static_cast<unsigned long>(counts.folders));
    SetText(IDC_PROGRESS_FAILURES, text);
}

void ProgressPanel::SetButtonMode(int mode) {
    bool done = mode == panelDone;
    ShowWindow(GetItem(IDOK), done ? SW_SHOW : SW_HIDE);
    ShowWindow(GetItem(IDCANCEL), done ? SW_HIDE : SW_SHOW);
    if (!done) return;
    const wchar_t* end = cancelled                                                  ? L" cancelled"
                         : failures.runFailed || failures.files || failures.folders ? L" failed"
                                                                                    : L" complete";
    SetText(IDC_PROGRESS_HEADING, std::wstring(direction) + end);
    Settle();
}

void ProgressPanel::AddReportLine(const std::wstring& line) {
    HWND report = GetItem(IDC_PROGRESS_REPORT);
    if (!report) return;
    int length = GetWindowTextLengthW(report);
    SendMessageW(report, EM_SETSEL, length, length);
    std::wstring text = (length ? L"\r\n" : L"") + line;
    SendMessageW(report, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SetShown(IDC_PROGRESS_REPORT, true);
    Settle();
}

// A text in an ellipsis style keeps its one line, whatever its length.
void ProgressPanel::SetText(int id, const std::wstring& text) {
    auto known = shownTexts.find(id);
    if (known != shownTexts.end() && known->second == text) return;
    LONG style = GetWindowLongW(GetItem(id), GWL_STYLE);
    bool oneLine = (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS)) != 0;
    if (!oneLine && !layout.Holds(id, text)) layoutDirty = true;
    shownTexts[id] = text;
    SetWindowTextW(GetItem(id), text.c_str());
}

void ProgressPanel::SetShown(int id, bool shown) {
    if (layout.Shown(id) == shown) return;
    ShowWindow(GetItem(id), shown ? SW_SHOW : SW_HIDE);
    layoutDirty = true;
}

void ProgressPanel::Settle() {
    if (layoutDirty) LayOut();
}

// A scroll bar that comes or goes changes the width: the rows are placed again for it.
void ProgressPanel::LayOut() {
    // Sizes come before the dialog's start, whose rows are not known yet.
    if (!hwnd || layingOut || layout.Panel() != hwnd) return;
    layingOut = true;
    layout.ForgetMoves();
    RECT client;
    ::GetClientRect(hwnd, &client);
    PlaceRows(client.right, client.bottom);
    UpdateScrollBar(layout.ContentHeight(), client.bottom);
    RECT after;
    ::GetClientRect(hwnd, &after);
    PlaceRows(after.right, after.bottom);
    // A row that moved leaves old pixels behind unless the whole panel paints again.
    if (layout.Moved())
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    layingOut = false;
    layoutDirty = false;
}

void ProgressPanel::PlaceRows(int width, int height) {
    layout.Begin(width, -scrollTop);
    layout.Text(IDC_PROGRESS_HEADING);
    layout.Pair(IDC_PROGRESS_SESSION_LABEL, IDC_PROGRESS_SESSION);
    layout.Pair(IDC_PROGRESS_HOST_LABEL, IDC_PROGRESS_HOST);
    layout.Pair(IDC_PROGRESS_USER_LABEL, IDC_PROGRESS_USER);
    layout.Pair(IDC_PROGRESS_ITEM_LABEL, currentItemId);
    layout.Bar(IDC_PROGRESS_FILE_BAR);
    layout.Text(IDC_PROGRESS_FILE_TEXT);
    layout.Bar(IDC_PROGRESS_RUN_BAR);
    layout.Text(IDC_PROGRESS_RUN_TEXT);
    layout.Text(IDC_PROGRESS_TIME_TEXT);
    for (DWORD line = 0; line < kMaxTransferConnections; ++line)
        layout.Text(IDC_PROGRESS_CONNECTION_FIRST + static_cast<int>(line));
    layout.Pairs({{IDC_PROGRESS_FILE_COUNT_LABEL, IDC_PROGRESS_FILE_COUNT},
                  {IDC_PROGRESS_DIR_COUNT_LABEL, IDC_PROGRESS_DIR_COUNT},
                  {IDC_PROGRESS_BYTE_COUNT_LABEL, IDC_PROGRESS_BYTE_COUNT}});
    LayOutOwnRows(layout);
    layout.Text(IDC_PROGRESS_FAILURES);
    layout.FillAndButtons(IDC_PROGRESS_REPORT, kReportLines, height, {IDCANCEL, IDOK});
}

// The bar shows only while the rows are taller than the panel.
void ProgressPanel::UpdateScrollBar(int contentHeight, int height) {
    scrollTop = std::max(0, std::min(scrollTop, contentHeight - height));
    SCROLLINFO info = {sizeof(info),
                       SIF_RANGE | SIF_PAGE | SIF_POS,
                       0,
                       contentHeight - 1,
                       static_cast<UINT>(std::max(height, 0)),
                       scrollTop,
                       0};
    SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
}

void ProgressPanel::Scroll(int code) {
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd, SB_VERT, &info)) return;
    int line = layout.LineHeight(), page = static_cast<int>(info.nPage);
    int top = info.nPos;
    switch (code) {
        case SB_LINEUP:
            top -= line;
            break;
        case SB_LINEDOWN:
            top += line;
            break;
        case SB_PAGEUP:
            top -= page;
            break;
        case SB_PAGEDOWN:
            top += page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            top = info.nTrackPos;
            break;
        case SB_TOP:
            top = 0;
            break;
        case SB_BOTTOM:
            top = info.nMax;
            break;
        default:
            return;
    }
    scrollTop = std::max(0, std::min(top, info.nMax + 1 - page));
    LayOut();
}
