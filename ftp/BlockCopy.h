#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>

#include "ftp/RemoteFile.h"

// The one copy loop of every connection and direction: blocks go from read to
// write until read gives no bytes (the end), either fails, or going() says
// the run was stopped. moved(count) counts each block written.
enum class CopyEnd { complete, stopped, failed };
using BlockRead = std::function<bool(char* block, DWORD size, DWORD* count)>;
using BlockWrite = std::function<bool(const char* block, DWORD count)>;

struct BlockCopy {
    BlockRead read;
    BlockWrite write;
    std::function<bool()> going;
    std::function<void(DWORD count)> moved;
};

CopyEnd CopyInBlocks(char* block, DWORD blockSize, const BlockCopy& copy);

// The ends every copy is made of. A failed read or write fails the file: a
// Retry opens a fresh data connection.
// A remote end holds its file until the copy is done with it.
BlockRead ReadRemote(RemoteFileHandle remote);
BlockRead ReadLocal(FILE* local);
BlockWrite WriteRemote(RemoteFileHandle remote);
BlockWrite WriteLocal(FILE* local);
