#include "framework/ChildWindows.h"

HWND ChildWindows::Get(HWND parent, int id) {
    if (parent != parent_) {
        found_.clear();
        parent_ = parent;
    }
    auto known = found_.find(id);
    if (known != found_.end() && IsWindow(known->second) && GetParent(known->second) == parent)
        return known->second;
    HWND child = GetDlgItem(parent, id);
    if (child)
        found_[id] = child;
    else
        found_.erase(id);
    return child;
}
