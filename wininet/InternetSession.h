#pragma once

#include "wininet/InternetHandle.h"

// The handle InternetOpen returns. Winsock stays started for as long as it,
// or any handle below it, lives.
class InternetSession : public InternetHandle {
  public:
    InternetSession();
    ~InternetSession() override;
    bool Started() const { return started_; }

  private:
    bool started_ = false;
};
