// The Clear-all command the ticket monitor sends once a ticket is done: 0x02 and
// "0^C|^^C|j|^", sent as bytes with Ventrix framing, not through the bracket notation.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "status/PacketScan.h"
#include "status/VentrixPacket.h"

namespace kestrel {

inline constexpr std::array<uint8_t, 12> kClearAllCommand = {0x02, 0x30, 0x5E, 0x43, 0x7C, 0x5E,
                                                             0x5E, 0x43, 0x7C, 0x6A, 0x7C, 0x5E};
// Where the payload begins in the command as handed to the framing (start and type byte first).
inline constexpr int kClearAllPayloadOffset = 2;

// Whether a whole Ventrix packet, as framed for sending (sequence bits in any state), is the
// Clear-all command.
inline bool IsClearAllPacket(const uint8_t* packet, const PacketScan& scan) {
    constexpr int payloadSize = static_cast<int>(kClearAllCommand.size()) - kClearAllPayloadOffset;
    return scan.status == PacketScanStatus::Complete &&
           scan.type == (kClearAllCommand[1] & kVentrixTypeMask) &&
           scan.payloadSize == payloadSize &&
           std::equal(kClearAllCommand.begin() + kClearAllPayloadOffset, kClearAllCommand.end(),
                      packet + scan.payloadOffset);
}

}  // namespace kestrel
