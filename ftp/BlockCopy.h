#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>

#include "ftp/RemoteFile.h"

// A file moves in blocks of up to this size; only a read of no bytes marks
// its end. Each block is a pass through the remote layer, the local file and
// the progress check: at 5 KiB those passes took a sixth of a 1 GiB download.
// At 256 KiB a plain download takes a tenth less time than at 64 KiB; 512 KiB
// and 1 MiB blocks made downloads over TLS a tenth slower.
constexpr DWORD kCopyBlockBytes = 256 * 1024;

enum class CopyEnd { complete, stopped, failed };
using BlockRead = std::function<bool(char* block, DWORD size, DWORD* count)>;
using BlockWrite = std::function<bool(const char* block, DWORD count)>;

struct BlockCopy {
    BlockRead read;
    BlockWrite write;
    std::function<bool()> going;
    std::function<void(DWORD count)> moved;
    ULONGLONG (*now)() = GetTickCount64;
};

// The one copy loop of every connection and direction: blocks go from read to
// write until read gives no bytes (the end), either fails, or going() says
// the run was stopped. moved(count) counts each block written. Blocks start
// at 5 KiB and double while a block's read and write take no time worth
// showing, and halve when one takes long: a slow link still shows every few
// KiB as they come, a fast one moves whole blocks. now() is the clock in ms.
CopyEnd CopyInBlocks(char* block, DWORD blockSize, const BlockCopy& copy);

// Local files are read and written a block at a time, with no stream buffer
// between: a buffer copied every byte once more, and large blocks already
// make large reads and writes. Called before the stream's first use.
void UnbufferLocal(FILE* local);

// The ends every copy is made of. A failed read or write fails the file: a
// Retry opens a fresh data connection.
// A remote end holds its file until the copy is done with it.
BlockRead ReadRemote(RemoteFileHandle remote);
BlockRead ReadLocal(FILE* local);
BlockWrite WriteRemote(RemoteFileHandle remote);
BlockWrite WriteLocal(FILE* local);
