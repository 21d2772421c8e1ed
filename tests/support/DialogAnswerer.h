#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// Answers the message boxes that the calling thread shows while this object
// lives: presses the given button (IDYES, IDNO, IDOK...) and records the
// text and caption of each box it answered.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(int button);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    int Count() const { return count; }
    std::wstring LastText();
    std::wstring LastCaption();

  private:
    void Watch();
    void Answer(HWND dialog);

    int button;
    DWORD threadId;
    std::atomic<bool> stop;
    std::atomic<int> count;
    std::mutex lock;
    std::wstring lastText, lastCaption;
    std::thread watcher;
};
