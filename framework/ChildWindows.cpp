#include "framework/ChildWindows.h"

namespace {

// A handle may live on in another window once its own is gone. Asking about
// the caller's own windows costs no request to the Wine server.
bool StillThere(HWND child, HWND parent, int id) {
    return IsWindow(child) && GetParent(child) == parent && GetDlgCtrlID(child) == id;
}

}  // namespace

HWND ChildWindows::Get(HWND parent, int id) {
    if (parent != parent_) {
        found_.clear();
        parent_ = parent;
    }
    auto known = found_.find(id);
    if (known != found_.end() && StillThere(known->second, parent, id)) return known->second;
    HWND child = GetDlgItem(parent, id);
    if (child)
        found_[id] = child;
    else
        found_.erase(id);
    return child;
}
