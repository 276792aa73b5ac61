#include "status/Crc16.h"

#include <array>

namespace kestrel {
namespace {

constexpr std::array<uint16_t, 256> MakeReflectedTable(uint16_t polynomial) {
    std::array<uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        uint16_t crc = static_cast<uint16_t>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ polynomial)
                            : static_cast<uint16_t>(crc >> 1);
        }
        table[byte] = crc;
    }
    return table;
}

constexpr auto kKermitTable = MakeReflectedTable(0x8408);
constexpr auto kArcTable = MakeReflectedTable(0xA001);

uint16_t ReflectedCrc(const std::array<uint16_t, 256>& table, uint16_t crc, int16_t length,
                      const uint8_t* data) {
    for (int16_t i = 0; i < length; ++i) {
        crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
    }
    return crc;
}

}  // namespace

uint16_t Crc16Kermit(uint16_t initial, int16_t length, const uint8_t* data) {
    return ReflectedCrc(kKermitTable, initial, length, data);
}

uint16_t Crc16Arc(uint16_t initial, int16_t length, const uint8_t* data) {
    return ReflectedCrc(kArcTable, initial, length, data);
}

}  // namespace kestrel
