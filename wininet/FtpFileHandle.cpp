#include "wininet/FtpFileHandle.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kBufferBytes = 256 * 1024;

}  // namespace

FtpFileHandle::FtpFileHandle(std::shared_ptr<FtpConnection> connection, bool upload,
                             DWORD_PTR context)
    : InternetHandle(INTERNET_HANDLE_TYPE_FTP_FILE, connection, context),
      connection_(std::move(connection)),
      upload_(upload),
      buffer_(kBufferBytes) {}

DWORD FtpFileHandle::Refill() {
    size_t received = 0;
    DWORD error = channel_.Socket().Receive(buffer_.data(), buffer_.size(), received);
    if (error) return failure_ = error;
    begin_ = 0;
    end_ = received;
    endOfData_ = received == 0;
    return 0;
}

DWORD FtpFileHandle::Read(void* buffer, DWORD size, DWORD& read) {
    std::lock_guard<std::timed_mutex> lock(ioMutex_);
    read = 0;
    if (closing_) return ERROR_INTERNET_OPERATION_CANCELLED;
    if (upload_) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
    if (failure_) return failure_;
    char* out = static_cast<char*>(buffer);
    while (read < size) {
        if (begin_ == end_) {
            if (endOfData_) break;
            DWORD error = Refill();
            if (error) return error;
            continue;
        }
        size_t count = std::min(end_ - begin_, static_cast<size_t>(size - read));
        memcpy(out + read, buffer_.data() + begin_, count);
        begin_ += count;
        read += static_cast<DWORD>(count);
    }
    return 0;
}

DWORD FtpFileHandle::Flush() {
    failure_ = channel_.Socket().Send(buffer_.data(), end_);
    end_ = 0;
    return failure_;
}

DWORD FtpFileHandle::Write(const void* data, DWORD size, DWORD& written) {
    std::lock_guard<std::timed_mutex> lock(ioMutex_);
    written = 0;
    if (closing_) return ERROR_INTERNET_OPERATION_CANCELLED;
    if (!upload_) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
    if (failure_) return failure_;
    const char* in = static_cast<const char*>(data);
    while (written < size) {
        size_t count = std::min(buffer_.size() - end_, static_cast<size_t>(size - written));
        memcpy(buffer_.data() + end_, in + written, count);
        end_ += count;
        written += static_cast<DWORD>(count);
        if (end_ == buffer_.size() && Flush()) return failure_;
    }
    return 0;
}

DWORD FtpFileHandle::Finish(bool interrupted) {
    // A download stopped before its end was stopped on purpose; the server's
    // complaint about it is no failure.
    bool stoppedEarly = interrupted || (!upload_ && !endOfData_ && !failure_);
    DWORD error = failure_;
    if (upload_ && !stoppedEarly && !error && end_ > 0) error = Flush();
    if (upload_) channel_.Socket().FinishSending();
    // Closing an unfinished download resets the data connection, which the
    // server answers with its own error reply.
    channel_.Socket().Close();
    DWORD verdict = connection_->FinishTransfer();
    if (stoppedEarly) return 0;
    return error ? error : verdict;
}

DWORD FtpFileHandle::Close() {
    closing_ = true;
    std::unique_lock<std::timed_mutex> lock(ioMutex_, std::try_to_lock);
    bool interrupted = !lock.owns_lock();
    if (interrupted) {
        channel_.Socket().Abort();
        // A call that does not return although its socket is shut down belongs
        // to a thread that was terminated inside it: give the connection up.
        if (!lock.try_lock_for(std::chrono::milliseconds(kFtpTimeoutMs))) {
            connection_->Abandon();
            return 0;
        }
    }
    return Finish(interrupted);
}
