#include "commlog/Cp1252.h"

#include <array>
#include <cstddef>

namespace kestrel {
namespace {

constexpr uint8_t kHighBlockStart = 0x80;
constexpr uint8_t kHighBlockEnd = 0x9F;
constexpr uint32_t kLatin1End = 0xFF;

// 0x80 to 0x9F, where the code page departs from Latin-1.
constexpr std::array<char16_t, kHighBlockEnd - kHighBlockStart + 1> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char16_t Cp1252ToUnicode(uint8_t byte) {
    if (byte >= kHighBlockStart && byte <= kHighBlockEnd) {
        return kHighBlock[byte - kHighBlockStart];
    }
    return byte;
}

int UnicodeToCp1252(uint32_t codePoint) {
    for (size_t i = 0; i < kHighBlock.size(); ++i) {
        if (kHighBlock[i] == codePoint) {
            return static_cast<int>(kHighBlockStart + i);
        }
    }
    if (codePoint >= kHighBlockStart && codePoint <= kHighBlockEnd) {
        return -1;  // C1 controls that the code page spends on other characters
    }
    return codePoint <= kLatin1End ? static_cast<int>(codePoint) : -1;
}

}  // namespace kestrel
