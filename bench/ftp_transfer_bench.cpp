// Times a download and an upload of one file through the FTP engine and the
// WinINet calls below it, moving 5120-byte blocks between a remote file and a
// C runtime stream as the transfer workers do.
//
// usage: ftp_transfer_bench host port user password remote-file local-download local-upload-source
#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/FtpClientApp.h"
#include "ftp/FtpFS.h"

namespace {

constexpr DWORD kBlock = 5120;

// The transfer loop: copies one file either way in kBlock-sized blocks and
// returns the bytes moved, or -1 on failure.
long long TransferFile(FtpFS& engine, const wchar_t* remote, const wchar_t* local, bool upload) {
    HINTERNET file = engine.OpenRemoteFile(remote, upload ? GENERIC_WRITE : GENERIC_READ,
                                           FTP_TRANSFER_TYPE_BINARY);
    FILE* stream = _wfopen(local, upload ? L"rb" : L"wb");
    std::vector<char> block(kBlock);
    long long total = 0;
    bool ok = file && stream;
    while (ok) {
        DWORD count = 0;
        if (upload) {
            count = static_cast<DWORD>(fread(block.data(), 1, kBlock, stream));
            DWORD written = 0;
            ok = count == 0 ||
                 (InternetWriteFile(file, block.data(), count, &written) && written == count);
        } else {
            ok = InternetReadFile(file, block.data(), kBlock, &count) &&
                 fwrite(block.data(), 1, count, stream) == count;
        }
        if (count == 0) break;
        total += count;
    }
    if (stream && fclose(stream) != 0) ok = false;
    if (file && !InternetCloseHandle(file)) ok = false;
    return ok ? total : -1;
}

bool Report(const char* what, FtpFS& engine, const wchar_t* remote, const wchar_t* local,
            bool upload) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    long long bytes = TransferFile(engine, remote, local, upload);
    QueryPerformanceCounter(&end);
    double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    if (bytes < 0) {
        fprintf(stderr, "%s failed: error %lu\n", what, GetLastError());
        return false;
    }
    printf("%s %.3f s %lld bytes %.1f MB/s\n", what, seconds, bytes, bytes / seconds / 1e6);
    return true;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 8) {
        fprintf(stderr,
                "usage: ftp_transfer_bench host port user password remote-file local-download "
                "local-upload-source\n");
        return 2;
    }
    FtpClientApp app;
    app.options.SetUsePassive(true);
    FtpFS engine;
    if (engine.Connect(argv[1], argv[3], argv[4], static_cast<INTERNET_PORT>(_wtoi(argv[2]))) !=
        S_OK) {
        fprintf(stderr, "connect failed: error %lu\n", GetLastError());
        return 1;
    }
    std::wstring uploaded = std::wstring(argv[5]) + L".uploaded";
    bool ok = Report("download", engine, argv[5], argv[6], false) &&
              Report("upload", engine, uploaded.c_str(), argv[7], true);
    return ok ? 0 : 1;
}
