#include "sim/HexText.h"

#include "platform/AsciiText.h"

namespace kestrel {

std::string FormatHexBytes(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const uint8_t byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kLowerHexDigits[byte >> 4];
        text += kLowerHexDigits[byte & 0x0F];
    }
    return text;
}

}  // namespace kestrel
