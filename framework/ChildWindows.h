#pragma once

#include <windows.h>

#include <unordered_map>

// Finds a window's controls by id, remembering each one found. Under Wine
// every GetDlgItem asks the Wine server for the whole list of children, and a
// progress panel looks up several controls per report, many times a second.
// A remembered control that is gone, or a new parent, is looked up afresh.
class ChildWindows {
  public:
    HWND Get(HWND parent, int id);

  private:
    HWND parent_ = nullptr;
    std::unordered_map<int, HWND> found_;
};
