#pragma once

#include <string>
#include <vector>

#include "browsers/BrowseWnd.h"

// A plain browse window standing in for a connection's view: it has a
// session name, can be made busy, and records what it was asked to do.
class FrameTestView : public BrowseWnd {
  public:
    explicit FrameTestView(const wchar_t* name) : name(name) {}
    const wchar_t* GetSessionName() override { return name.c_str(); }
    bool IsIdle() override { return !busy; }
    void OpenFolder(const wchar_t* folder) override { opened.push_back(folder); }
    void StartUpload(PtrList<WString*>& items) override {
        for (auto* node = items.GetHead(); node; node = node->next)
            uploaded.push_back(node->element->GetText());
    }

    std::wstring name;
    bool busy = false;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> uploaded;
};
