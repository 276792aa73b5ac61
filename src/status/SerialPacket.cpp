#include "status/SerialPacket.h"

#include <algorithm>
#include <cstring>

#include "status/Crc16.h"

namespace kestrel {
namespace {

constexpr int kLengthHighOffset = 1;
constexpr int kLengthLowOffset = 2;
constexpr int kSequenceOffset = 3;
constexpr int kReservedOffset = 4;
constexpr int kCrcBytes = 2;

// Writes header and CRC around `count` data bytes already at kSerialHeaderBytes.
int SealSerialPacket(uint8_t* packet, int count, uint8_t sequenceByte) {
    const int length = count + kSerialFramingBytes;
    packet[0] = kSerialStartByte;
    packet[kLengthHighOffset] = static_cast<uint8_t>(length >> 8);
    packet[kLengthLowOffset] = static_cast<uint8_t>(length & 0xFF);
    packet[kSequenceOffset] = sequenceByte;
    packet[kReservedOffset] = 0;
    const int covered = length - kCrcBytes;
    const uint16_t crc = Crc16ArcOver(packet, static_cast<size_t>(covered));
    packet[covered] = static_cast<uint8_t>(crc >> 8);
    packet[covered + 1] = static_cast<uint8_t>(crc & 0xFF);
    return length;
}

}  // namespace

int FrameSerialPacket(uint8_t* buffer, int count, SequenceState& sequence) {
    if (count < 0 || count > kSerialMaximumData) {
        return 0;
    }
    std::memmove(buffer + kSerialHeaderBytes, buffer, static_cast<size_t>(count));
    return SealSerialPacket(buffer, count, sequence.TakeSerialSequence());
}

std::vector<uint8_t> BuildSerialPacket(uint8_t sequenceByte, std::span<const uint8_t> data) {
    if (data.size() > static_cast<size_t>(kSerialMaximumData)) {
        return {};
    }
    std::vector<uint8_t> packet(data.size() + kSerialFramingBytes);
    std::copy(data.begin(), data.end(), packet.begin() + kSerialHeaderBytes);
    SealSerialPacket(packet.data(), static_cast<int>(data.size()), sequenceByte);
    return packet;
}

PacketScan ScanSerialPacket(const uint8_t* bytes, int available) {
    PacketScan scan;
    if (available <= 0) {
        scan.status = PacketScanStatus::NeedMore;
        return scan;
    }
    if (bytes[0] != kSerialStartByte) {
        return scan;
    }
    if (available < kSerialLengthBytesRead) {
        scan.status = PacketScanStatus::NeedMore;
        return scan;
    }
    const int length = (bytes[kLengthHighOffset] << 8) | bytes[kLengthLowOffset];
    if (length < kSerialFramingBytes) {
        scan.status = PacketScanStatus::Malformed;
        scan.length = kSerialLengthBytesRead;
        return scan;
    }
    if (length > available) {
        scan.status = PacketScanStatus::NeedMore;
        return scan;
    }
    const int covered = length - kCrcBytes;
    scan.status = PacketScanStatus::Complete;
    scan.length = length;
    scan.sequence = bytes[kSequenceOffset];
    scan.payloadOffset = kSerialHeaderBytes;
    scan.payloadSize = length - kSerialFramingBytes;
    scan.computedCrc = Crc16ArcOver(bytes, static_cast<size_t>(covered));
    scan.packetCrc = static_cast<uint16_t>((bytes[covered] << 8) | bytes[covered + 1]);
    scan.crcMatches = scan.computedCrc == scan.packetCrc;
    return scan;
}

}  // namespace kestrel
