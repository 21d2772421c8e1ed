#include "wininet/FtpFileHandle.h"

FtpFileHandle::FtpFileHandle(std::shared_ptr<FtpConnection> connection, bool upload,
                             DWORD_PTR context)
    : InternetHandle(INTERNET_HANDLE_TYPE_FTP_FILE, connection, context),
      connection_(std::move(connection)),
      channel_(upload) {}

DWORD FtpFileHandle::Open(const std::wstring& name, char type) {
    DWORD error = connection_->OpenTransfer(name, type, channel_);
    if (!error) pump_ = std::make_unique<FtpDataPump>(channel_.Socket(), channel_.Upload());
    return error;
}

bool FtpFileHandle::Enter() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (closing_) return false;
    ++calls_;
    return true;
}

void FtpFileHandle::Leave() {
    bool last;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        last = --calls_ == 0 && closing_;
    }
    if (last) End();
}

template <typename Work>
DWORD FtpFileHandle::Call(Work work) {
    if (!Enter()) return ERROR_INTERNET_OPERATION_CANCELLED;
    DWORD error;
    {
        std::lock_guard<std::mutex> lock(ioMutex_);
        error = work();
    }
    Leave();
    return error;
}

DWORD FtpFileHandle::Read(void* buffer, DWORD size, DWORD& read) {
    read = 0;
    if (channel_.Upload()) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
    return Call([&] {
        size_t count = 0;
        DWORD error = pump_->Read(static_cast<char*>(buffer), size, count);
        read = static_cast<DWORD>(count);
        return error;
    });
}

DWORD FtpFileHandle::Write(const void* data, DWORD size, DWORD& written) {
    written = 0;
    if (!channel_.Upload()) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
    return Call([&] {
        DWORD error = pump_->Write(static_cast<const char*>(data), size);
        if (!error) written = size;
        return error;
    });
}

void FtpFileHandle::AbortLocked() {
    if (ending_) return;
    aborted_ = true;
    pump_->Stop();
}

void FtpFileHandle::Abort() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    AbortLocked();
}

DWORD FtpFileHandle::Close() {
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        closing_ = true;
        if (calls_ > 0) {
            AbortLocked();
            return 0;
        }
    }
    return End();
}

DWORD FtpFileHandle::End() {
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        ending_ = true;
    }
    bool complete = !aborted_ && (channel_.Upload() ? !pump_->Failure() : pump_->Delivered());
    if (complete) return Finish();
    // A download stopped early and an abort were asked for: the server's
    // complaint about them is no failure. A failed upload keeps its failure.
    DWORD failure = channel_.Upload() && !aborted_ ? pump_->Failure() : 0;
    CutShort();
    return failure;
}

DWORD FtpFileHandle::Finish() {
    DWORD error = pump_->Finish();
    // An upload whose last data could not be sent must not end as a whole file.
    if (error && channel_.Upload()) {
        CutShort();
        return error;
    }
    if (channel_.Upload()) channel_.Socket().FinishSending();
    channel_.Socket().Close();
    DWORD verdict = connection_->FinishTransfer();
    return error ? error : verdict;
}

// The pump thread is gone before the data connection is touched.
DWORD FtpFileHandle::CutShort() {
    pump_->Halt();
    return connection_->AbortTransfer(channel_.Socket(), channel_.Upload());
}
