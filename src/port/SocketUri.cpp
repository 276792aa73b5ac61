#include "port/SocketUri.h"
#include "platform/AsciiText.h"
#include "platform/NumberText.h"

namespace kestrel {

namespace {

constexpr std::string_view kSocketScheme = "socket://";
// More digits than this cannot be a port, whatever is kept of them.
constexpr uint64_t kLargestPortText = 9'999'999'999;

bool HasSocketScheme(std::string_view uri) {
    return StartsWithNoCase(uri, kSocketScheme);
}

}  // namespace

std::optional<SocketAddress> ParseSocketUri(std::string_view uri) {
    if (!HasSocketScheme(uri)) {
        return std::nullopt;
    }
    std::string_view rest = uri.substr(kSocketScheme.size());
    rest = rest.substr(0, rest.find_first_of("/?#"));
    SocketAddress address;
    std::string_view host = rest;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const size_t close = rest.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = rest.substr(1, close - 1);
        std::string_view after = rest.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return std::nullopt;
            }
            port = after.substr(1);
        }
    } else if (const size_t colon = rest.rfind(':'); colon != std::string_view::npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    if (host.empty()) {
        return std::nullopt;
    }
    address.host = std::string(host);
    if (!port.empty()) {
        const std::optional<uint64_t> value = ReadDecimal(port, kLargestPortText);
        if (!value) {
            return std::nullopt;
        }
        address.port = static_cast<uint16_t>(*value);
    }
    return address;
}

}  // namespace kestrel
