#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "frame/FrameTestView.h"
#include "resources/resource.h"
#include "support/GuiApp.h"

// A frame created as start-up creates it, with its menu bar, and helpers to
// read its menus and add stand-in connection views.

inline std::vector<std::wstring> ItemTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        wchar_t text[256] = L"";
        GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

inline UINT IdOf(HMENU menu, const std::wstring& text) {
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        wchar_t itemText[256] = L"";
        GetMenuStringW(menu, position, itemText, 256, MF_BYPOSITION);
        if (text == itemText) return GetMenuItemID(menu, position);
    }
    return 0;
}

class FrameFixture : public ::testing::Test {
  protected:
    void SetUp() override { CreateFrame(); }

    void CreateFrame() {
        ASSERT_TRUE(frame.CreateFrame(L"Corvane", WS_VISIBLE, 0, 0, 320, 400, IDR_MENUBAR));
        ASSERT_NE(nullptr, frame.GetMenuBar());
    }

    void TearDown() override {
        frame.DestroyWnd();
        PumpMessages();
    }

    FrameTestView* AddRemoteView(const wchar_t* name) {
        auto* view = new FrameTestView(name);
        RECT client;
        frame.GetClientRect(&client);
        view->CreateBrowser(L"BrowseWnd", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                            &frame);
        frame.AddView(view, name);
        return view;
    }

    std::wstring Title() {
        wchar_t text[512] = L"";
        GetWindowTextW(frame.GetHandle(), text, 512);
        return text;
    }

    HMENU Popup(UINT buttonId) {
        return reinterpret_cast<HMENU>(
            SendMessageW(frame.GetMenuBar(), SHCMBM_GETSUBMENU, 0, buttonId));
    }
    HMENU FileSubmenu(int position) { return GetSubMenu(Popup(IDM_FILE), position); }

    bool IsGrayed(HMENU menu, UINT position) {
        return (GetMenuState(menu, position, MF_BYPOSITION) & MF_GRAYED) != 0;
    }

    GuiApp app;
    FrameWnd& frame = app.frame;
};
