// The two CRC-16 routines of the printer protocols: reflected, table-driven, no final XOR.
#pragma once

#include <cstdint>

namespace kestrel {

// CRC-16/KERMIT (reflected polynomial 0x8408): Ventrix packets, sent low byte first.
uint16_t Crc16Kermit(uint16_t initial, int16_t length, const uint8_t* data);
// CRC-16/ARC (reflected polynomial 0xA001): serial packets, sent high byte first.
uint16_t Crc16Arc(uint16_t initial, int16_t length, const uint8_t* data);

}  // namespace kestrel
