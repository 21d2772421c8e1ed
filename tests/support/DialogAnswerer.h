#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// Answers the message boxes that the calling thread shows while this object
// lives: presses the given button (IDYES, IDNO, IDOK) and keeps the text of
// the last box answered.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(int button);
    ~DialogAnswerer();

    int Count() const { return count; }
    std::wstring LastText();

  private:
    void Watch();

    int button;
    DWORD threadId;
    std::atomic<bool> stop{false};
    std::atomic<int> count{0};
    std::mutex lock;
    std::wstring lastText;
    std::thread watcher;
};
