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
