#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "framework/ListViewCtl.h"

// A view's list as the user reads it, and rows picked by name as taps pick them.
std::wstring CellText(ListViewCtl& list, int row, int column);
std::vector<std::wstring> RowNames(ListViewCtl& list);
// Only the named rows end up selected.
void SelectRows(ListViewCtl& list, std::initializer_list<const wchar_t*> names);
