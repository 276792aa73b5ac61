// Reading the five status bytes out of a Ventrix status packet.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "status/StatusBitTable.h"

namespace kestrel {

using StatusBytes = std::array<uint8_t, kStatusByteCount>;

// The status bytes of a whole packet of `length` bytes (its length byte's value, CRC included).
// "|" bytes are counted from the packet's first byte, so a length byte of 0x7C counts as one;
// S is the byte after the third. Only the bytes before the CRC are read: nullopt when there are
// fewer than three "|" before the CRC or when S + 8 would reach into it.
std::optional<StatusBytes> ReadStatusBytes(const uint8_t* packet, int length);

// Whether the condition of a row is set in the status bytes.
inline bool StatusBitSet(const StatusBytes& status, const StatusBitRow& row) {
    return (status[row.byteIndex] & row.mask) != 0;
}

}  // namespace kestrel
