#include "transfer_ui/ProgressText.h"

#include <climits>
#include <cwchar>

namespace {

const double kKilobytesPerByte = 0.0009765625;
const UINT kFullBar = 3200;

}  // namespace

UINT FilePercent(ULONGLONG currentBytes, ULONGLONG currentSize) {
    if (currentSize == 0) return kFullBar;
    // bytes * 100 must stay within 64 bits; beyond, doubles are exact enough for a bar.
    if (currentBytes <= ULLONG_MAX / 100)
        return static_cast<UINT>(currentBytes * 100 / currentSize);
    return static_cast<UINT>(static_cast<double>(currentBytes) * 100.0 / currentSize);
}

void FormatFileProgress(wchar_t* text, size_t capacity, ULONGLONG currentBytes,
                        ULONGLONG currentSize, ULONGLONG totalBytes, DWORD elapsedMs) {
    double rate = elapsedMs ? totalBytes * 1000.0 / elapsedMs * kKilobytesPerByte : 0.0;
    swprintf(text, capacity, L"%0.2f/%0.2fkb at %0.2fkb/sec", currentBytes * kKilobytesPerByte,
             currentSize * kKilobytesPerByte, rate);
}

UINT FreeStorePercent(ULONGLONG freeBytes, ULONGLONG storeBytes) {
    if (storeBytes == 0) return 0;
    return static_cast<UINT>(static_cast<double>(freeBytes) / storeBytes * 100.0);
}

void FormatStorage(wchar_t* text, size_t capacity, ULONGLONG freeBytes, ULONGLONG storeBytes) {
    swprintf(text, capacity, L"%0.2f/%0.2fkb", freeBytes * kKilobytesPerByte,
             storeBytes * kKilobytesPerByte);
}
