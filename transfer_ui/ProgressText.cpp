#include "transfer_ui/ProgressText.h"

#include <climits>
#include <cwchar>

#include "framework/ByteUnits.h"

namespace {

const UINT kFullBar = 3200;

// The value in the unit, with the decimals given past the bytes, which are whole.
std::wstring InUnitText(ULONGLONG bytes, const ByteUnit& unit, int decimals) {
    wchar_t text[48];
    if (unit.bytes == 1)
        swprintf(text, 48, L"%llu", bytes);
    else
        swprintf(text, 48, L"%.*f", decimals, InUnit(bytes, unit));
    return text;
}

std::wstring WithUnit(ULONGLONG bytes, int decimals) {
    const ByteUnit& unit = ByteUnitFor(bytes);
    return InUnitText(bytes, unit, decimals) + L" " + unit.name;
}

}  // namespace

UINT FilePercent(ULONGLONG currentBytes, ULONGLONG currentSize) {
    if (currentSize == 0) return kFullBar;
    // bytes * 100 must stay within 64 bits; beyond, doubles are exact enough for a bar.
    if (currentBytes <= ULLONG_MAX / 100)
        return static_cast<UINT>(currentBytes * 100 / currentSize);
    return static_cast<UINT>(static_cast<double>(currentBytes) * 100.0 / currentSize);
}

UINT FreeStorePercent(ULONGLONG freeBytes, ULONGLONG storeBytes) {
    if (storeBytes == 0) return 0;
    return static_cast<UINT>(static_cast<double>(freeBytes) / storeBytes * 100.0);
}

std::wstring BytesText(ULONGLONG bytes) { return WithUnit(bytes, 2); }

std::wstring AmountText(ULONGLONG done, ULONGLONG size) {
    const ByteUnit& unit = ByteUnitFor(done > size ? done : size);
    return InUnitText(done, unit, 2) + L" of " + InUnitText(size, unit, 2) + L" " + unit.name;
}

std::wstring RateText(double bytesPerSecond) {
    ULONGLONG whole = bytesPerSecond > 0 ? static_cast<ULONGLONG>(bytesPerSecond) : 0;
    const ByteUnit& unit = ByteUnitFor(whole);
    wchar_t text[48];
    if (unit.bytes == 1)
        swprintf(text, 48, L"%llu b/s", whole);
    else
        swprintf(text, 48, L"%.1f %ls/s", bytesPerSecond / unit.bytes, unit.name);
    return text;
}

std::wstring StorageText(ULONGLONG freeBytes, ULONGLONG storeBytes) {
    return WithUnit(freeBytes, 1) + L" free of " + WithUnit(storeBytes, 1);
}

std::wstring DurationText(ULONGLONG ms) {
    ULONGLONG seconds = ms / 1000;
    wchar_t text[32];
    if (seconds >= 3600)
        swprintf(text, 32, L"%llu:%02u:%02u", seconds / 3600,
                 static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    else
        swprintf(text, 32, L"%u:%02u", static_cast<unsigned>(seconds / 60),
                 static_cast<unsigned>(seconds % 60));
    return text;
}

std::wstring RunText(DWORD filesDone, ULONGLONG bytesDone, const RunTotals& run) {
    wchar_t files[64];
    swprintf(files, 64, L"%lu of %lu files, ", static_cast<unsigned long>(filesDone),
             static_cast<unsigned long>(run.filesFound));
    std::wstring text = files + AmountText(bytesDone, run.bytesFound);
    if (run.stillListing) text += L" (the total is still growing)";
    return text;
}

std::wstring TimeText(double bytesPerSecond, DWORD elapsedMs, bool leftKnown, ULONGLONG leftMs) {
    std::wstring text = RateText(bytesPerSecond) + L", " + DurationText(elapsedMs) + L" elapsed";
    if (leftKnown) text += L", " + DurationText(leftMs) + L" left";
    return text;
}

std::wstring ConnectionText(DWORD number, const ConnectionFigures& line) {
    std::wstring text = std::to_wstring(number) + L": ";
    if (!line.file[0]) return text + L"waiting for a file";
    // The engine's buffer need not hold a terminator when the name fills it.
    return text + AmountText(line.fileBytes, line.fileSize) + L", " +
           std::wstring(line.file, wcsnlen(line.file, MAX_PATH));
}

std::wstring FailureText(const wchar_t* name, const wchar_t* reason) {
    std::wstring why = reason ? reason : L"";
    for (wchar_t& c : why)
        if (c == L'\r' || c == L'\n') c = L' ';
    while (!why.empty() && why.back() == L' ') why.pop_back();
    std::wstring line = name ? name : L"";
    return why.empty() ? line : line + L": " + why;
}
