#include "status/StatusPacket.h"

namespace kestrel {
namespace {

constexpr int kCrcBytes = 2;
constexpr int kStatusFieldSpan = kStatusByteSpacing * (kStatusByteCount - 1) + 1;

}  // namespace

std::optional<StatusBytes> ReadStatusBytes(const uint8_t* packet, int length) {
    const int beforeCrc = length - kCrcBytes;
    int separators = 0;
    int origin = -1;
    for (int i = 0; i < beforeCrc; ++i) {
        if (packet[i] == kStatusFieldSeparator && ++separators == kStatusOriginSeparators) {
            origin = i + 1;
            break;
        }
    }
    if (origin < 0 || origin + kStatusFieldSpan > beforeCrc) {
        return std::nullopt;
    }
    StatusBytes status{};
    for (int b = 0; b < kStatusByteCount; ++b) {
        status[b] = packet[origin + kStatusByteSpacing * b];
    }
    return status;
}

}  // namespace kestrel
