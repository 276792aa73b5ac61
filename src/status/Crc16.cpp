#include "status/Crc16.h"

#include <algorithm>
#include <array>
#include <limits>

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

using Crc16Routine = uint16_t (*)(uint16_t, int16_t, const uint8_t*);

constexpr size_t kLargestPiece = std::numeric_limits<int16_t>::max();

// No final XOR, so the running value of one piece is the initial value of the next.
uint16_t CrcInPieces(Crc16Routine routine, const uint8_t* data, size_t size) {
    uint16_t crc = 0;
    while (size > 0) {
        const size_t piece = std::min(size, kLargestPiece);
        crc = routine(crc, static_cast<int16_t>(piece), data);
        data += piece;
        size -= piece;
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

uint16_t Crc16KermitOver(const uint8_t* data, size_t size) {
    return CrcInPieces(Crc16Kermit, data, size);
}

uint16_t Crc16ArcOver(const uint8_t* data, size_t size) {
    return CrcInPieces(Crc16Arc, data, size);
}

}  // namespace kestrel
