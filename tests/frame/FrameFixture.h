#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "browsers/BrowseWnd.h"
#include "resources/resource.h"
#include "support/GuiApp.h"

using Texts = std::vector<std::wstring>;

// A plain browse window standing in for a connection's view.
class StandInView : public BrowseWnd {
  public:
    explicit StandInView(const wchar_t* name) : name(name) {}
    const wchar_t* GetSessionName() override { return name.c_str(); }
    bool IsIdle() override { return !busy; }
    void OpenFolder(const wchar_t* folder) override { opened.push_back(folder); }

    std::wstring name;
    bool busy = false;
    Texts opened;
};

// A frame created as start-up creates it, with its menu bar.
class FrameFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(frame.CreateFrame(L"Corvane", WS_VISIBLE, 0, 0, 320, 400, IDR_MENUBAR));
        ASSERT_NE(nullptr, frame.GetMenuBar());
    }
    void TearDown() override {
        frame.DestroyWnd();
        PumpMessages();
    }

    StandInView* AddView(const wchar_t* name) {
        auto* view = new StandInView(name);
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
            frame.SendTo(frame.GetMenuBar(), SHCMBM_GETSUBMENU, 0, buttonId));
    }
    HMENU FileSubmenu(int position) { return GetSubMenu(Popup(IDM_FILE), position); }

    static Texts ItemTexts(HMENU menu) {
        Texts texts;
        for (int position = 0; position < GetMenuItemCount(menu); ++position) {
            wchar_t text[256] = L"";
            GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
            texts.push_back(text);
        }
        return texts;
    }

    static UINT IdOf(HMENU menu, const std::wstring& text) {
        Texts texts = ItemTexts(menu);
        for (size_t position = 0; position < texts.size(); ++position)
            if (texts[position] == text) return GetMenuItemID(menu, static_cast<int>(position));
        return 0;
    }

    static bool HasState(HMENU menu, int position, UINT state) {
        return (GetMenuState(menu, position, MF_BYPOSITION) & state) != 0;
    }

    GuiApp app;
    FrameWnd& frame = app.frame;
};
