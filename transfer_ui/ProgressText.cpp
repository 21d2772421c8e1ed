#include "transfer_ui/ProgressText.h"

#include <cwchar>

namespace {

const double kKilobytesPerByte = 0.0009765625;
const UINT kFullBar = 3200;

}  // namespace

UINT FilePercent(DWORD currentBytes, DWORD currentSize) {
    if (currentSize == 0) return kFullBar;
    // In 64 bits: bytes * 100 passes 32 bits for files over 42 MB.
    return static_cast<UINT>(static_cast<ULONGLONG>(currentBytes) * 100 / currentSize);
}

void FormatFileProgress(wchar_t* text, size_t capacity, DWORD currentBytes, DWORD currentSize,
                        DWORD totalBytes, DWORD elapsedMs) {
    double rate = elapsedMs ? totalBytes * 1000.0 / elapsedMs * kKilobytesPerByte : 0.0;
    swprintf(text, capacity, L"%0.2f/%0.2fkb at %0.2fkb/sec", currentBytes * kKilobytesPerByte,
             currentSize * kKilobytesPerByte, rate);
}

UINT FreeStorePercent(DWORD freeBytes, DWORD storeBytes) {
    if (storeBytes == 0) return 0;
    return static_cast<UINT>(static_cast<double>(freeBytes) / storeBytes * 100.0);
}

void FormatStorage(wchar_t* text, size_t capacity, DWORD freeBytes, DWORD storeBytes) {
    swprintf(text, capacity, L"%0.2f/%0.2fkb", freeBytes * kKilobytesPerByte,
             storeBytes * kKilobytesPerByte);
}
