#include "ftp/BlockCopy.h"

CopyEnd CopyInBlocks(char* block, DWORD blockSize, const BlockCopy& copy) {
    while (copy.going()) {
        DWORD count = 0;
        if (!copy.read(block, blockSize, &count)) return CopyEnd::failed;
        if (count == 0) return CopyEnd::complete;
        if (!copy.write(block, count)) return CopyEnd::failed;
        copy.moved(count);
    }
    return CopyEnd::stopped;
}

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
