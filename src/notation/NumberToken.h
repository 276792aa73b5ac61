// Reading the number of a "<...>" token the way the C library reads numbers.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrel {

// The byte a number token stands for. A token starting with x, or with one character and then x,
// is hexadecimal after that x (strtoul-style: white space, sign and its own 0x prefix accepted,
// unsigned 32-bit, overflow gives all ones); any other token is decimal (strtol-style with a
// 32-bit long: overflow saturates). The value is taken as signed 32-bit: above 255 gives 0xFF,
// anything else (negatives included) its low 8 bits. No digits reads 0. Never reads outside the
// token.
uint8_t NumberTokenByte(std::string_view token);

}  // namespace kestrel
