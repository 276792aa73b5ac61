// Bytes as lower-case hexadecimal pairs separated by blanks ("02 00 1c"), for logs and records.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kestrel {

std::string FormatHexBytes(std::span<const uint8_t> bytes);

}  // namespace kestrel
