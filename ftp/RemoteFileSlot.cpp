#include "ftp/RemoteFileSlot.h"

#include <utility>

void RemoteFileSlot::Put(RemoteFileHandle opened) {
    std::lock_guard<std::mutex> hold(lock);
    file = std::move(opened);
}

RemoteFileHandle RemoteFileSlot::Take() {
    std::lock_guard<std::mutex> hold(lock);
    return std::move(file);
}

bool RemoteFileSlot::Close() {
    RemoteFileHandle taken = Take();
    return !taken || taken->Close();
}

void RemoteFileSlot::Abort() {
    RemoteFileHandle open;
    {
        std::lock_guard<std::mutex> hold(lock);
        open = file;
    }
    if (open) open->Abort();
}

void RemoteFileSlot::Cut() {
    RemoteFileHandle taken = Take();
    if (taken) taken->Cut();
}
