#include <gtest/gtest.h>

#include "aygshell.h"

namespace {

// What a test dialog is sent once shown, and what it looked like then.
struct DialogScript {
    UINT message;
    WPARAM wParam;
    RECT rect = {};
    LONG_PTR style = 0;
};

INT_PTR CALLBACK ScriptedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) EndDialog(dialog, LOWORD(wParam));
    if (message != WM_INITDIALOG) return message == WM_COMMAND;
    auto* script = reinterpret_cast<DialogScript*>(lParam);
    // A default other than OK, so Enter gives IDOK only if the shell makes it so.
    SendMessageW(dialog, DM_SETDEFID, 100, 0);
    // Initialised as the program initialises its dialogs.
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog,
                          SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    SHInitDialog(&info);
    GetWindowRect(dialog, &script->rect);
    script->style = GetWindowLongPtrW(dialog, GWL_STYLE);
    PostMessageW(dialog, script->message, script->wParam, 0);
    return TRUE;
}

// Runs a captioned dialog without a close box and returns how it ended.
INT_PTR RunDialog(HWND owner, DialogScript* script) {
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialogTemplate = {{WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 0, 0, 120, 80}, 0, 0, 0};
    return DialogBoxIndirectParamW(nullptr, &dialogTemplate.header, owner, ScriptedDialogProc,
                                   reinterpret_cast<LPARAM>(script));
}

}  // namespace

TEST(DialogInitTest, DoneDialogCoversTheFrameAndCloseBoxOrEnterAcceptWhileEscapeCancels) {
    HWND frame = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP | WS_VISIBLE, 30, 20, 240, 280,
                                 nullptr, nullptr, nullptr, nullptr);
    RECT frameRect;
    GetWindowRect(frame, &frameRect);
    DialogScript closeBox = {WM_SYSCOMMAND, SC_CLOSE};
    EXPECT_EQ(RunDialog(frame, &closeBox), IDOK);
    EXPECT_TRUE(EqualRect(&closeBox.rect, &frameRect));
    EXPECT_TRUE(closeBox.style & WS_SYSMENU);
    DialogScript enter = {WM_KEYDOWN, VK_RETURN};
    EXPECT_EQ(RunDialog(frame, &enter), IDOK);
    DestroyWindow(frame);

    // Without an owner it covers the work area above the menu bar.
    RECT workArea;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    workArea.bottom -= 26;
    DialogScript escape = {WM_KEYDOWN, VK_ESCAPE};
    EXPECT_EQ(RunDialog(nullptr, &escape), IDCANCEL);
    EXPECT_TRUE(EqualRect(&escape.rect, &workArea));
}
