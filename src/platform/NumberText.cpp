#include "platform/NumberText.h"

#include "platform/AsciiText.h"

namespace kestrel {

namespace {
constexpr uint64_t kMaxTcpPort = 65535;
constexpr uint64_t kDecimalBase = 10;
}  // namespace

std::optional<uint64_t> ReadDecimal(std::string_view text, uint64_t maximum) {
    if (text.empty()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const char c : text) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        const auto digit = static_cast<uint64_t>(c - '0');
        if (digit > maximum || value > (maximum - digit) / kDecimalBase) {
            return std::nullopt;  // beyond the maximum, and never wrapping on the way there
        }
        value = value * kDecimalBase + digit;
    }
    return value;
}

std::optional<uint16_t> ReadPortNumber(std::string_view text) {
    const std::optional<uint64_t> value = ReadDecimal(text, kMaxTcpPort);
    return value ? std::optional<uint16_t>(static_cast<uint16_t>(*value)) : std::nullopt;
}

std::optional<HostAndPort> SplitHostAndPort(std::string_view text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<uint16_t> port = ReadPortNumber(text.substr(colon + 1));
    if (!port) {
        return std::nullopt;
    }
    return HostAndPort{std::string(text.substr(0, colon)), *port};
}

}  // namespace kestrel
