#pragma once

#include <wininet.h>

#include <atomic>
#include <memory>

// Base of every handle: session, connection, listing and file. A handle
// inherits its parent's status callback when it is made.
class InternetHandle {
  public:
    InternetHandle(DWORD type, std::shared_ptr<InternetHandle> parent, DWORD_PTR context);
    virtual ~InternetHandle() = default;
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    DWORD Type() const { return type_; }
    HINTERNET Value() const { return value_; }
    void SetValue(HINTERNET value) { value_ = value; }
    const std::shared_ptr<InternetHandle>& Parent() const { return parent_; }

    INTERNET_STATUS_CALLBACK SetCallback(INTERNET_STATUS_CALLBACK callback);
    // Calls the callback on this thread with the handle's context; WinINet
    // raises no status for a zero context.
    void ReportStatus(DWORD status, const void* information, DWORD length);

    // Ends the handle's work; called once, when the handle has left the table.
    // Blocked calls on other threads must return promptly afterwards.
    virtual DWORD Close() { return 0; }

  private:
    const DWORD type_;
    const std::shared_ptr<InternetHandle> parent_;
    const DWORD_PTR context_;
    HINTERNET value_ = nullptr;
    std::atomic<INTERNET_STATUS_CALLBACK> callback_;
};
