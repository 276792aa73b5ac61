#include "notation/NumberToken.h"

#include <limits>

namespace kestrel {
namespace {

constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;
constexpr int32_t kLargestByte = 255;
constexpr uint64_t kUnsigned32Max = std::numeric_limits<uint32_t>::max();
constexpr int64_t kSigned32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kSigned32Min = std::numeric_limits<int32_t>::min();

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHexMarker(char c) {
    return c == 'x' || c == 'X';
}

int DigitValue(char c, int base) {
    int value = kHexBase;  // not a digit of any base we read
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

struct Reading {
    bool negative = false;
    bool overflow = false;  // the magnitude exceeds 32 bits
    uint64_t magnitude = 0;
};

// White space, sign, the 0x prefix (hexadecimal only) and digits up to the first non-digit.
Reading ReadMagnitude(std::string_view text, int base) {
    Reading reading;
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        reading.negative = text[i] == '-';
        ++i;
    }
    // A 0x prefix with no digit after it reads 0 either way, so it needs no look-ahead.
    if (base == kHexBase && i + 1 < text.size() && text[i] == '0' && IsHexMarker(text[i + 1])) {
        i += 2;
    }
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) {
            break;
        }
        reading.magnitude =
            reading.magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (reading.magnitude > kUnsigned32Max) {
            reading.overflow = true;
            reading.magnitude = kUnsigned32Max + 1;  // keeps the sum from wrapping
        }
    }
    return reading;
}

// strtoul with a 32-bit unsigned long, then taken as signed 32-bit.
int32_t ReadHexadecimal(std::string_view text) {
    const Reading reading = ReadMagnitude(text, kHexBase);
    uint32_t value = 0;
    if (reading.overflow) {
        value = static_cast<uint32_t>(kUnsigned32Max);
    } else {
        value = static_cast<uint32_t>(reading.magnitude);
        if (reading.negative) {
            value = static_cast<uint32_t>(0u - value);
        }
    }
    return static_cast<int32_t>(value);
}

// strtol with a 32-bit long: overflow saturates at the range's ends.
int32_t ReadDecimal(std::string_view text) {
    const Reading reading = ReadMagnitude(text, kDecimalBase);
    const int64_t magnitude = static_cast<int64_t>(reading.magnitude);
    const int64_t value = reading.negative ? -magnitude : magnitude;
    if (value > kSigned32Max) {
        return static_cast<int32_t>(kSigned32Max);
    }
    if (value < kSigned32Min) {
        return static_cast<int32_t>(kSigned32Min);
    }
    return static_cast<int32_t>(value);
}

}  // namespace

uint8_t NumberTokenByte(std::string_view token) {
    int32_t value = 0;
    if (!token.empty() && IsHexMarker(token[0])) {
        value = ReadHexadecimal(token.substr(1));
    } else if (token.size() >= 2 && IsHexMarker(token[1])) {
        value = ReadHexadecimal(token.substr(2));
    } else {
        value = ReadDecimal(token);
    }
    if (value > kLargestByte) {
        return static_cast<uint8_t>(kLargestByte);
    }
    return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu);
}

}  // namespace kestrel
