// Times one file moved by our SFTP session (ssh/SftpSession) between a local file and
// the server, logging in with a key, so that it can be set beside OpenSSH's sftp. The
// bytes go through the session's block calls with a 256 KiB buffer, as the engine's copy
// loop moves them.
//
// usage: sftp_session_bench host port user keyfile hostkey-fingerprint MODE REMOTE LOCAL
//   down   REMOTE read into the local file LOCAL
//   up     the local file LOCAL written to REMOTE
// Prints "<mode> <seconds> s <bytes> B <cipher>" on success.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ssh/SftpSession.h"

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

std::wstring Wide(const char* text) {
    wchar_t wide[1024];
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 1024);
    return wide;
}

constexpr size_t kBlock = 256 * 1024;

bool Download(SftpSession& session, const char* remote, FILE* local, unsigned long long& bytes) {
    static char buffer[kBlock];
    if (!session.OpenRead(remote, 0)) return false;
    size_t got = 0;
    bool ok;
    while ((ok = session.Read(buffer, kBlock, &got)) && got > 0) {
        bytes += got;
        if (fwrite(buffer, 1, got, local) != got) break;
    }
    return session.CloseFile() && ok && got == 0;
}

bool Upload(SftpSession& session, const char* remote, FILE* local, unsigned long long& bytes) {
    static char buffer[kBlock];
    if (!session.OpenWrite(remote, 0)) return false;
    size_t size;
    bool ok = true;
    while (ok && (size = fread(buffer, 1, kBlock, local)) > 0) {
        bytes += size;
        ok = session.Write(buffer, size);
    }
    return session.CloseFile() && ok && !ferror(local);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 9) {
        fprintf(stderr,
                "usage: sftp_session_bench host port user keyfile hostkey down|up REMOTE LOCAL\n");
        return 2;
    }
    std::string expectedKey = argv[5];
    bool down = std::string(argv[6]) == "down";
    SftpSession session;
    double start = Now();
    if (!session.Connect(argv[1], static_cast<uint16_t>(atoi(argv[2])),
                         [&](const SshHostKey& key) { return key.fingerprint == expectedKey; }) ||
        !session.LoginKeyFile(argv[3], Wide(argv[4]), "")) {
        fprintf(stderr, "login failed: %s\n", session.LastError().message.c_str());
        return 1;
    }
    FILE* local = _wfopen(Wide(argv[8]).c_str(), down ? L"wb" : L"rb");
    if (!local) {
        fprintf(stderr, "can't open %s\n", argv[8]);
        return 1;
    }
    setvbuf(local, nullptr, _IOFBF, 1 << 20);
    unsigned long long bytes = 0;
    bool moved =
        down ? Download(session, argv[7], local, bytes) : Upload(session, argv[7], local, bytes);
    moved = fclose(local) == 0 && moved;
    if (!moved) {
        fprintf(stderr, "%s failed: %s\n", argv[6], session.LastError().message.c_str());
        return 1;
    }
    printf("%s %.3f s %llu B %s\n", argv[6], Now() - start, bytes, session.Cipher().c_str());
    return 0;
}
