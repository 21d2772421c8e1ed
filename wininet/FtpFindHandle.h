#pragma once

#include <mutex>
#include <vector>

#include "wininet/FtpListParser.h"
#include "wininet/InternetHandle.h"

// A listing read in full when it was opened, so the connection is free for
// other commands while the caller walks it.
class FtpFindHandle : public InternetHandle {
  public:
    // A listing that broke off carries the error that ended it, told after its
    // last entry instead of ERROR_NO_MORE_FILES.
    FtpFindHandle(std::shared_ptr<InternetHandle> connection, std::vector<FtpListEntry> entries,
                  DWORD_PTR context, DWORD endError);

    // False once every entry has been delivered.
    bool Next(WIN32_FIND_DATAW& data);
    DWORD EndError() const { return endError_; }

  private:
    std::mutex mutex_;
    std::vector<FtpListEntry> entries_;
    size_t next_ = 0;
    const DWORD endError_;
};
