#include "ftp/BlockCopy.h"

#include <algorithm>

namespace {

constexpr DWORD kFirstBlockBytes = 5120;
// A block moved within this many ms is not worth showing alone; one that took
// longer than kSlowBlockMs keeps the panel waiting.
constexpr ULONGLONG kQuickBlockMs = 10;
constexpr ULONGLONG kSlowBlockMs = 100;

// The size of the block after one of `size` bytes that took `ms`.
DWORD NextBlockSize(DWORD size, ULONGLONG ms, DWORD blockSize) {
    if (ms <= kQuickBlockMs) return std::min(size * 2, blockSize);
    if (ms >= kSlowBlockMs) return std::max(size / 2, std::min(kFirstBlockBytes, blockSize));
    return size;
}

}  // namespace

CopyEnd CopyInBlocks(char* block, DWORD blockSize, const BlockCopy& copy) {
    DWORD size = std::min(kFirstBlockBytes, blockSize);
    while (copy.going()) {
        DWORD count = 0;
        const ULONGLONG start = copy.now();
        if (!copy.read(block, size, &count)) return CopyEnd::failed;
        if (count == 0) return CopyEnd::complete;
        if (!copy.write(block, count)) return CopyEnd::failed;
        copy.moved(count);
        size = NextBlockSize(size, copy.now() - start, blockSize);
    }
    return CopyEnd::stopped;
}

void UnbufferLocal(FILE* local) { setvbuf(local, nullptr, _IONBF, 0); }

BlockRead ReadRemote(RemoteFileHandle remote) {
    return [remote](char* block, DWORD room, DWORD* count) {
        return remote->Read(block, room, count);
    };
}

BlockRead ReadLocal(FILE* local) {
    return [local](char* block, DWORD room, DWORD* count) {
        *count = static_cast<DWORD>(fread(block, 1, room, local));
        return !ferror(local);
    };
}

BlockWrite WriteRemote(RemoteFileHandle remote) {
    return [remote](const char* block, DWORD count) { return remote->Write(block, count); };
}

BlockWrite WriteLocal(FILE* local) {
    return [local](const char* block, DWORD count) { return fwrite(block, count, 1, local) == 1; };
}
