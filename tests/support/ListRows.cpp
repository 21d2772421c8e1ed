#include "support/ListRows.h"

#include <commctrl.h>

std::wstring CellText(ListViewCtl& list, int row, int column) {
    wchar_t text[512] = L"";
    ListView_GetItemText(list.GetHandle(), row, column, text, 512);
    return text;
}

std::vector<std::wstring> RowNames(ListViewCtl& list) {
    std::vector<std::wstring> names;
    for (int row = 0; row < list.GetItemCount(); ++row) names.push_back(CellText(list, row, 0));
    return names;
}

void SelectRows(ListViewCtl& list, std::initializer_list<const wchar_t*> names) {
    list.SetItemState(-1, 0, LVIS_SELECTED);
    for (int row = 0; row < list.GetItemCount(); ++row)
        for (const wchar_t* name : names)
            if (CellText(list, row, 0) == name)
                list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
}
