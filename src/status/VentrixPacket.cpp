#include "status/VentrixPacket.h"

#include <algorithm>
#include <cstring>

#include "status/Crc16.h"

namespace kestrel {
namespace {

constexpr int kTypeOffset = 1;
constexpr int kLengthOffset = 2;
constexpr int kCrcBytes = 2;

// Writes the length byte and the CRC of a packet of `length` bytes whose other bytes are in place.
void SealVentrixPacket(uint8_t* packet, int length) {
    packet[kLengthOffset] = static_cast<uint8_t>(length);
    const int covered = length - kCrcBytes;
    const uint16_t crc = Crc16KermitOver(packet, static_cast<size_t>(covered));
    packet[covered] = static_cast<uint8_t>(crc & 0xFF);
    packet[covered + 1] = static_cast<uint8_t>(crc >> 8);
}

}  // namespace

int FrameVentrixPacket(uint8_t* buffer, int count, SequenceState& sequence) {
    if (count <= kTypeOffset || buffer[kTypeOffset] == kVentrixNullType) {
        return count;
    }
    buffer[kTypeOffset] |= sequence.TakeVentrixBits();
    std::memmove(buffer + kLengthOffset + 1, buffer + kLengthOffset,
                 static_cast<size_t>(count - kLengthOffset));
    const int length = count + kVentrixFramingBytes;
    SealVentrixPacket(buffer, length);
    return length;
}

std::vector<uint8_t> BuildVentrixPacket(uint8_t typeByte, std::span<const uint8_t> payload) {
    if (payload.size() > static_cast<size_t>(kVentrixMaximumPayload)) {
        return {};
    }
    std::vector<uint8_t> packet(payload.size() + kVentrixMinimumLength);
    packet[0] = kVentrixStartByte;
    packet[kTypeOffset] = typeByte;
    std::copy(payload.begin(), payload.end(), packet.begin() + kVentrixHeaderBytes);
    SealVentrixPacket(packet.data(), static_cast<int>(packet.size()));
    return packet;
}

PacketScan ScanVentrixPacket(const uint8_t* bytes, int available) {
    PacketScan scan;
    if (available <= 0) {
        scan.status = PacketScanStatus::NeedMore;
        return scan;
    }
    if (bytes[0] != kVentrixStartByte) {
        return scan;
    }
    if (available < kVentrixNullPacketLength) {
        scan.status = PacketScanStatus::NeedMore;
        return scan;
    }
    const uint8_t typeByte = bytes[kTypeOffset];
    scan.type = typeByte & kVentrixTypeMask;
    scan.sequence = static_cast<uint8_t>(typeByte >> kVentrixSequenceShift);
    if (typeByte == kVentrixNullType) {
        scan.status = PacketScanStatus::NullPacket;
        scan.length = kVentrixNullPacketLength;
        return scan;
    }
    if (available < kVentrixHeaderBytes) {
        scan.status = PacketScanStatus::NeedMore;
        return scan;
    }
    const int length = bytes[kLengthOffset];
    if (length < kVentrixMinimumLength) {
        scan.status = PacketScanStatus::Malformed;
        scan.length = kVentrixHeaderBytes;
        return scan;
    }
    if (length > available) {
        scan.status = PacketScanStatus::NeedMore;
        return scan;
    }
    const int covered = length - kCrcBytes;
    scan.status = PacketScanStatus::Complete;
    scan.length = length;
    scan.payloadOffset = kVentrixHeaderBytes;
    scan.payloadSize = length - kVentrixMinimumLength;
    scan.computedCrc = Crc16KermitOver(bytes, static_cast<size_t>(covered));
    scan.packetCrc = static_cast<uint16_t>(bytes[covered] | (bytes[covered + 1] << 8));
    scan.crcMatches = scan.computedCrc == scan.packetCrc;
    return scan;
}

}  // namespace kestrel
