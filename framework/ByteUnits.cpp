#include "framework/ByteUnits.h"

const ByteUnit kByteUnits[kByteUnitCount] = {
    {L"b", 1}, {L"kb", 1ull << 10}, {L"mb", 1ull << 20}, {L"gb", 1ull << 30}};

const ByteUnit& ByteUnitFor(uint64_t size) {
    size_t unit = kByteUnitCount - 1;
    while (unit > 0 && size < kByteUnits[unit].bytes) --unit;
    return kByteUnits[unit];
}
