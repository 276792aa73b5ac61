// What a packet reader found at the start of some received bytes.
#pragma once

#include <cstdint>

namespace kestrel {

enum class PacketScanStatus {
    NotStart,    // the first byte does not start a packet; length 0
    NeedMore,    // a packet has begun but not all of it is there yet; length 0
    NullPacket,  // a Ventrix null packet (0x02 0x00); length 2
    Complete,    // a whole packet; length is its size, the CRC fields are filled in
    Malformed,   // a length field too small to hold the packet's own CRC; length is the header
                 // bytes read so far, which the reader drops to go on with what follows
};

struct PacketScan {
    PacketScanStatus status = PacketScanStatus::NotStart;
    int length = 0;        // bytes to consume; never more than were available
    uint8_t type = 0;      // Ventrix: type byte AND 0x1F
    uint8_t sequence = 0;  // Ventrix: bits 6-7 of the type byte; serial: the sequence byte
    int payloadOffset = 0;
    int payloadSize = 0;
    bool crcMatches = false;
    uint16_t packetCrc = 0;    // as carried by the packet
    uint16_t computedCrc = 0;  // over the packet's bytes before the CRC
};

}  // namespace kestrel
