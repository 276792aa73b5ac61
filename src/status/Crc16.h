// The two CRC-16 routines of the printer protocols: reflected, table-driven, no final XOR.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// CRC-16/KERMIT (reflected polynomial 0x8408): Ventrix packets, sent low byte first.
uint16_t Crc16Kermit(uint16_t initial, int16_t length, const uint8_t* data);
// CRC-16/ARC (reflected polynomial 0xA001): serial packets, sent high byte first.
uint16_t Crc16Arc(uint16_t initial, int16_t length, const uint8_t* data);

// The same from initial value 0 over any number of bytes: a length of 0 or less above returns
// the initial value, so longer runs go through in pieces that fit the 16-bit length.
uint16_t Crc16KermitOver(const uint8_t* data, size_t size);
uint16_t Crc16ArcOver(const uint8_t* data, size_t size);

}  // namespace kestrel
