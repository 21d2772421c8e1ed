#include "wininet/FtpFileHandle.h"

FtpFileHandle::FtpFileHandle(std::shared_ptr<FtpConnection> connection, bool upload,
                             DWORD_PTR context)
    : InternetHandle(INTERNET_HANDLE_TYPE_FTP_FILE, connection, context),
      connection_(std::move(connection)),
      upload_(upload) {}

DWORD FtpFileHandle::Open(const std::wstring& name, char type) {
    DWORD error = connection_->OpenTransfer(name, upload_, type, channel_);
    if (error) return error;
    pump_ = std::make_unique<FtpDataPump>(channel_.Socket(), upload_);
    if ((error = pump_->Start())) Finish(true);
    return error;
}

DWORD FtpFileHandle::Read(void* buffer, DWORD size, DWORD& read) {
    std::lock_guard<std::timed_mutex> lock(ioMutex_);
    read = 0;
    if (closing_) return ERROR_INTERNET_OPERATION_CANCELLED;
    if (upload_) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
    size_t count = 0;
    DWORD error = pump_->Read(static_cast<char*>(buffer), size, count);
    read = static_cast<DWORD>(count);
    return error;
}

DWORD FtpFileHandle::Write(const void* data, DWORD size, DWORD& written) {
    std::lock_guard<std::timed_mutex> lock(ioMutex_);
    written = 0;
    if (closing_) return ERROR_INTERNET_OPERATION_CANCELLED;
    if (!upload_) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
    DWORD error = pump_->Write(static_cast<const char*>(data), size);
    if (!error) written = size;
    return error;
}

DWORD FtpFileHandle::Finish(bool interrupted) {
    // A download stopped before its end was stopped on purpose; the server's
    // complaint about it is no failure.
    bool stoppedEarly = interrupted || (!upload_ && !pump_->Delivered());
    DWORD error = 0;
    if (stoppedEarly)
        pump_->Stop();
    else
        error = pump_->Finish();
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
        pump_->Stop();
        // A call that does not return although its transfer is stopped belongs
        // to a thread that was terminated inside it: give the connection up.
        if (!lock.try_lock_for(std::chrono::milliseconds(kFtpTimeoutMs))) {
            connection_->Abandon();
            return 0;
        }
    }
    return Finish(interrupted);
}
