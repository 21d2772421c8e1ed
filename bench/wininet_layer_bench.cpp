// Times our WinINet FTP layer alone, without windows or local files, so that
// its own cost can be set beside other clients' on the same server.
//
// usage: wininet_layer_bench host port user password MODE ARGS
//   files FOLDER       one login, one listing, every file of FOLDER read in turn
//   download FILE      one file read to its end, the data thrown away
//   upload NAME MIB    MIB mebibytes written from memory to NAME
//   cadence FILE       one file read; prints the longest wait between two arrivals
// Prints "<mode> <seconds> s <count>" on success.
#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The download worker's block size: the figures show what the program meets.
constexpr DWORD kBlock = 5120;

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

bool Fail(const char* what) {
    fprintf(stderr, "%s failed: error %lu\n", what, GetLastError());
    return false;
}

// Reads a file to its end; calls `arrived` after every block that brought data.
template <typename Arrived>
bool ReadWhole(HINTERNET connection, const wchar_t* name, unsigned long long& bytes,
               Arrived arrived) {
    HINTERNET file = FtpOpenFileW(connection, name, GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 1);
    if (!file) return Fail("open");
    static char block[1 << 20];
    DWORD read = 0;
    bool ok;
    while ((ok = InternetReadFile(file, block, kBlock, &read)) && read > 0) {
        bytes += read;
        arrived();
    }
    if (!InternetCloseHandle(file)) ok = false;
    return ok || Fail("read");
}

bool ReadFolder(HINTERNET connection, const wchar_t* folder, size_t& count) {
    if (!FtpSetCurrentDirectoryW(connection, folder)) return Fail("cwd");
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HINTERNET find = FtpFindFirstFileW(connection, nullptr, &data, INTERNET_FLAG_NO_CACHE_WRITE, 1);
    if (!find) return Fail("list");
    do
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    while (InternetFindNextFileW(find, &data));
    InternetCloseHandle(find);
    unsigned long long bytes = 0;
    for (const std::wstring& name : names)
        if (!ReadWhole(connection, name.c_str(), bytes, [] {})) return false;
    count = names.size();
    return true;
}

bool Upload(HINTERNET connection, const wchar_t* name, unsigned long long mib) {
    HINTERNET file = FtpOpenFileW(connection, name, GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
    if (!file) return Fail("open");
    std::vector<char> block(kBlock, 'u');
    bool ok = true;
    for (unsigned long long left = mib << 20; ok && left > 0;) {
        DWORD count = left < kBlock ? static_cast<DWORD>(left) : kBlock, written = 0;
        ok = InternetWriteFile(file, block.data(), count, &written) && written == count;
        left -= count;
    }
    if (!InternetCloseHandle(file)) ok = false;
    return ok || Fail("write");
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 7) {
        fprintf(stderr, "usage: wininet_layer_bench host port user password MODE ARGS\n");
        return 2;
    }
    HINTERNET session = InternetOpenW(L"FtpFS", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    double start = Now();
    HINTERNET connection =
        InternetConnectW(session, argv[1], static_cast<INTERNET_PORT>(_wtoi(argv[2])), argv[3],
                         argv[4], INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 1);
    if (!connection) return Fail("connect") ? 0 : 1;
    std::wstring mode = argv[5];
    bool ok = false;
    unsigned long long count = 0;
    if (mode == L"files") {
        size_t files = 0;
        ok = ReadFolder(connection, argv[6], files);
        count = files;
    } else if (mode == L"download") {
        ok = ReadWhole(connection, argv[6], count, [] {});
    } else if (mode == L"upload" && argc > 7) {
        ok = Upload(connection, argv[6], _wtoi64(argv[7]));
    } else if (mode == L"cadence") {
        double last = Now(), longest = 0;
        ok = ReadWhole(connection, argv[6], count, [&] {
            double now = Now();
            if (now - last > longest) longest = now - last;
            last = now;
        });
        printf("longest wait between arrivals %.3f s\n", longest);
    }
    double seconds = Now() - start;
    InternetCloseHandle(connection);
    InternetCloseHandle(session);
    if (!ok) return 1;
    printf("%ls %.3f s %llu\n", mode.c_str(), seconds, count);
    return 0;
}
