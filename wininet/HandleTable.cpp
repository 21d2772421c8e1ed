#include "wininet/HandleTable.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace {

struct Table {
    std::mutex mutex;
    std::map<uintptr_t, std::shared_ptr<InternetHandle>> handles;
    // Starts away from small numbers that callers might pass by mistake.
    uintptr_t nextValue = 0xC0DE0000;
};

// Never destroyed: threads that close handles may still run while the process
// exits and its static objects go, and would walk a freed map.
Table& TheTable() {
    static Table* table = new Table;
    return *table;
}

// How many generations below `ancestor` the handle is; 0 when it is not below it.
int DepthBelow(const InternetHandle& handle, const InternetHandle* ancestor) {
    int depth = 1;
    for (const InternetHandle* parent = handle.Parent().get(); parent;
         parent = parent->Parent().get(), ++depth)
        if (parent == ancestor) return depth;
    return 0;
}

}  // namespace

HINTERNET HandleTable::Add(const std::shared_ptr<InternetHandle>& handle) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    const auto& parent = handle->Parent();
    if (parent && !table.handles.count(reinterpret_cast<uintptr_t>(parent->Value())))
        return nullptr;
    uintptr_t value = table.nextValue;
    table.nextValue += 4;
    handle->SetValue(reinterpret_cast<HINTERNET>(value));
    table.handles[value] = handle;
    return handle->Value();
}

std::shared_ptr<InternetHandle> HandleTable::Find(HINTERNET value, DWORD type, DWORD& error) {
    std::shared_ptr<InternetHandle> handle = FindAny(value);
    if (!handle) {
        error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    if (handle->Type() != type) {
        error = ERROR_INTERNET_INCORRECT_HANDLE_TYPE;
        return nullptr;
    }
    return handle;
}

std::shared_ptr<InternetHandle> HandleTable::FindAny(HINTERNET value) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.handles.find(reinterpret_cast<uintptr_t>(value));
    return found == table.handles.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<InternetHandle>> HandleTable::Remove(HINTERNET value) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    std::vector<std::shared_ptr<InternetHandle>> removed;
    auto found = table.handles.find(reinterpret_cast<uintptr_t>(value));
    if (found == table.handles.end()) return removed;
    std::shared_ptr<InternetHandle> root = found->second;
    table.handles.erase(found);
    std::vector<std::pair<int, std::shared_ptr<InternetHandle>>> descendants;
    for (auto it = table.handles.begin(); it != table.handles.end();) {
        int depth = DepthBelow(*it->second, root.get());
        if (depth == 0) {
            ++it;
            continue;
        }
        descendants.emplace_back(depth, it->second);
        it = table.handles.erase(it);
    }
    // Deeper handles first: a file finishes its transfer before its connection quits.
    std::stable_sort(descendants.begin(), descendants.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (auto& descendant : descendants) removed.push_back(std::move(descendant.second));
    removed.push_back(root);
    return removed;
}
