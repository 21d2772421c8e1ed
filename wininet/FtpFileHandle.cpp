#include "wininet/FtpFileHandle.h"

FtpFileHandle::FtpFileHandle(std::shared_ptr<FtpConnection> connection, bool upload,
                             DWORD_PTR context)
    : InternetHandle(INTERNET_HANDLE_TYPE_FTP_FILE, connection, context),
      connection_(std::move(connection)),
      upload_(upload) {}

DWORD FtpFileHandle::Open(const std::wstring& name, char type) {
    DWORD error = connection_->OpenTransfer(name, upload_, type, channel_);
    if (!error) pump_ = std::make_unique<FtpDataPump>(channel_.Socket(), upload_);
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

void FtpFileHandle::Abort() {
    aborted_ = true;
    pump_->Stop();
}

DWORD FtpFileHandle::Finish() {
    DWORD error = pump_->Finish();
    // An upload whose last data could not be sent must not end as a whole file.
    if (error && upload_) {
        CutShort();
        return error;
    }
    if (upload_) channel_.Socket().FinishSending();
    channel_.Socket().Close();
    DWORD verdict = connection_->FinishTransfer();
    return error ? error : verdict;
}

DWORD FtpFileHandle::CutShort() {
    pump_->Stop();
    return connection_->AbortTransfer(channel_.Socket(), upload_);
}

DWORD FtpFileHandle::Close() {
    closing_ = true;
    std::unique_lock<std::timed_mutex> lock(ioMutex_, std::try_to_lock);
    if (!lock.owns_lock()) {
        Abort();
        // A call that does not return although its transfer is stopped belongs
        // to a thread that was terminated inside it: give the connection up.
        if (!lock.try_lock_for(std::chrono::milliseconds(FtpIdleBoundMs()))) {
            connection_->Abandon();
            return 0;
        }
    }
    bool complete = !aborted_ && (upload_ ? !pump_->Failure() : pump_->Delivered());
    if (complete) return Finish();
    // A download stopped early and an abort were asked for: the server's
    // complaint about them is no failure. A failed upload keeps its failure.
    DWORD failure = upload_ && !aborted_ ? pump_->Failure() : 0;
    CutShort();
    return failure;
}
