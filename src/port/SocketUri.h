// Reading the host and port out of a raw-socket device URI, "socket://host[:port][/...]".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Raw printing over TCP/IP listens here unless the URI says otherwise.
inline constexpr uint16_t kDefaultRawSocketPort = 9100;

struct SocketAddress {
    std::string host;
    uint16_t port = kDefaultRawSocketPort;  // taken modulo 65536, as a 16-bit value
};

// The host and port of a "socket://" URI (scheme compared without case); nothing for any other
// URI, an empty host or a port that is not a decimal number.
std::optional<SocketAddress> ParseSocketUri(std::string_view uri);

}  // namespace kestrel
