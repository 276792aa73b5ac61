// Reading whole decimal numbers and "host:port" addresses typed by people or stored in
// settings: one reader for the port, the spooler's URIs and the simulator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The value of `text` when it is all digits (no sign, no blanks) and at most `maximum`.
std::optional<uint64_t> ReadDecimal(std::string_view text, uint64_t maximum);

// A TCP port number: 0 to 65535, digits only.
std::optional<uint16_t> ReadPortNumber(std::string_view text);

struct HostAndPort {
    std::string host;
    uint16_t port = 0;
};

// "host:port", split at the last ":"; nothing when there is no ":" or the port is not a number
// from 0 to 65535. The host may be empty; callers decide what they accept.
std::optional<HostAndPort> SplitHostAndPort(std::string_view text);

}  // namespace kestrel
