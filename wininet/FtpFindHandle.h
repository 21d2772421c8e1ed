#pragma once

#include <mutex>
#include <vector>

#include "wininet/FtpListParser.h"
#include "wininet/InternetHandle.h"

// A listing read in full when it was opened, so the connection is free for
// other commands while the caller walks it.
class FtpFindHandle : public InternetHandle {
  public:
    FtpFindHandle(std::shared_ptr<InternetHandle> connection, std::vector<FtpListEntry> entries,
                  DWORD_PTR context);

    // False once every entry has been delivered.
    bool Next(WIN32_FIND_DATAW& data);

  private:
    std::mutex mutex_;
    std::vector<FtpListEntry> entries_;
    size_t next_ = 0;
};
