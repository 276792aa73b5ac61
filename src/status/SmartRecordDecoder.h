// One Smart coded status record, shown in the console's Smart group.
#pragma once

#include <cstdint>
#include <string>

#include "platform/DialogHost.h"
#include "status/SmartRecordTable.h"

namespace kestrel {

// Decodes what starts the `available` (at least 1) bytes and returns how many to consume:
// the run of bytes before the next code byte, or a whole record once all of it is there
// (shown in its controls), or 0 while a record still waits for bytes. A skipped code gives
// its length at once, which may be one more than `available`. Never reads past `available`.
int DecodeSmartRecord(const uint8_t* bytes, int available, DialogHost& host);

// The text a whole Text record carries: its data bytes up to the first NUL.
std::string SmartRecordText(const uint8_t* record, const SmartRecord& kind);
// Whether a bit of a whole 0x81 record is set.
inline bool SmartStatusBitSet(const uint8_t* record, const SmartStatusBit& bit) {
    return (record[bit.dataByte] & bit.mask) != 0;
}

}  // namespace kestrel
