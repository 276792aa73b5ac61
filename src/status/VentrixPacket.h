// The Ventrix packet: 0x02, type byte (bits 0-4 type, bits 6-7 sequence number), total length n,
// payload of n - 5 bytes, CRC-16/KERMIT over bytes 0 to n - 3 stored low byte first. The two
// bytes 0x02 0x00 form a null packet with no length and no CRC.
//
// Usage:
//   transmit:  count = FrameVentrixPacket(work, count, sequence);   // work has room for count + 3
//   decoder:   PacketScan scan = ScanVentrixPacket(buf + pos, available);
//              NeedMore: wait; NotStart: stop; otherwise consume scan.length bytes.
//   simulator: std::vector<uint8_t> reply = BuildVentrixPacket(0x12, payload);
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "status/PacketScan.h"
#include "status/SequenceState.h"

namespace kestrel {

inline constexpr uint8_t kVentrixStartByte = 0x02;
inline constexpr uint8_t kVentrixNullType = 0x00;
inline constexpr uint8_t kVentrixTypeMask = 0x1F;
inline constexpr int kVentrixSequenceShift = 6;
inline constexpr int kVentrixHeaderBytes = 3;   // start, type, length
inline constexpr int kVentrixFramingBytes = 3;  // length and CRC added to a command
inline constexpr int kVentrixMinimumLength = 5;
inline constexpr int kVentrixMaximumLength = 255;
inline constexpr int kVentrixMaximumPayload = kVentrixMaximumLength - kVentrixMinimumLength;
// The most command bytes one packet carries: its length byte counts them and the framing.
inline constexpr int kVentrixMaximumCommand = kVentrixMaximumLength - kVentrixFramingBytes;
inline constexpr int kVentrixNullPacketLength = 2;

// Frames a command in place for sending: buffer[0] is the start byte, buffer[1] the type.
// Unless the type is 0 (a null packet, returned unchanged, as is a command under two bytes), ORs
// the sequence bits into the type byte, inserts the length byte count + 3 (kept to 8 bits) at
// offset 2 and appends the CRC low byte first. Returns the new count.
// The buffer must have room for count + kVentrixFramingBytes bytes.
int FrameVentrixPacket(uint8_t* buffer, int count, SequenceState& sequence);

// A complete packet with the given type byte (sequence bits included, if any) and payload.
// Returns an empty vector when the payload exceeds kVentrixMaximumPayload.
std::vector<uint8_t> BuildVentrixPacket(uint8_t typeByte, std::span<const uint8_t> payload);

// Reads the packet at the start of `available` bytes (0 or less reads as NeedMore). Never looks
// outside them. A length byte below kVentrixMinimumLength cannot hold its own CRC: that is
// reported as Malformed with length kVentrixHeaderBytes, so a decoder that drops those three
// bytes keeps moving and looks for the next packet right after them.
PacketScan ScanVentrixPacket(const uint8_t* bytes, int available);

}  // namespace kestrel
