// The serial packet: 0xFF, total length L as 16 bits high byte first, sequence byte, 0x00, the
// data (L - 7 bytes), CRC-16/ARC over everything before it stored high byte first.
//
// Usage:
//   transmit:  count = FrameSerialPacket(work, count, sequence);    // work has room for count + 7
//   simulator: PacketScan scan = ScanSerialPacket(buf + pos, available);
//              NeedMore: wait; NotStart: resynchronise; otherwise consume scan.length bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "status/PacketScan.h"
#include "status/SequenceState.h"

namespace kestrel {

inline constexpr uint8_t kSerialStartByte = 0xFF;
inline constexpr int kSerialHeaderBytes = 5;   // start, length (2), sequence, 0x00
inline constexpr int kSerialFramingBytes = 7;  // header and CRC
inline constexpr int kSerialLengthBytesRead = 3;
inline constexpr int kSerialMaximumLength = 0xFFFF;
inline constexpr int kSerialMaximumData = kSerialMaximumLength - kSerialFramingBytes;

// Frames `count` data bytes in place as a serial packet numbered by the sequence state
// (TakeSerialSequence) and returns L = count + 7. The buffer must have room for
// count + kSerialFramingBytes bytes. A count outside 0..kSerialMaximumData is returned as 0 with
// the buffer untouched, since its length would not fit the 16-bit field.
int FrameSerialPacket(uint8_t* buffer, int count, SequenceState& sequence);

// A complete packet with the given sequence byte and data; empty when the data exceed
// kSerialMaximumData.
std::vector<uint8_t> BuildSerialPacket(uint8_t sequenceByte, std::span<const uint8_t> data);

// Reads the packet at the start of `available` bytes (0 or less reads as NeedMore). Never looks
// outside them. A length below kSerialFramingBytes is reported as Malformed with length
// kSerialLengthBytesRead (the start and length bytes), so a reader that drops them keeps moving.
PacketScan ScanSerialPacket(const uint8_t* bytes, int available);

}  // namespace kestrel
