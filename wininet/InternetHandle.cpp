#include "wininet/InternetHandle.h"

InternetHandle::InternetHandle(DWORD type, std::shared_ptr<InternetHandle> parent,
                               DWORD_PTR context)
    : type_(type),
      parent_(std::move(parent)),
      context_(context),
      callback_(parent_ ? parent_->callback_.load() : nullptr) {}

INTERNET_STATUS_CALLBACK InternetHandle::SetCallback(INTERNET_STATUS_CALLBACK callback) {
    return callback_.exchange(callback);
}

void InternetHandle::ReportStatus(DWORD status, const void* information, DWORD length) {
    INTERNET_STATUS_CALLBACK callback = callback_.load();
    if (!callback || callback == INTERNET_INVALID_STATUS_CALLBACK || context_ == 0) return;
    callback(value_, context_, status, const_cast<void*>(information), length);
}
