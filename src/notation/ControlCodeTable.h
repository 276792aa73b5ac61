// The names of the control bytes 0x00 to 0x1F, shared by the bracket notation (name tokens) and
// the communication log's text form.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrel {

inline constexpr int kControlCodeCount = 32;
inline constexpr const char* kNoControlCodeName = "XX";

// The table name of a control byte ("NULL" for 0x00, "DEL" for 0x10), "XX" above 0x1F.
const char* ControlCodeName(uint8_t byte);

// The first byte, in table order, whose name begins the token (compared without case over the
// name's length), or -1 when none does. So "ESCAPE" is 0x1B, "CRLF" 0x0D and "SOH" 0x01.
int FindControlCode(std::string_view token);

}  // namespace kestrel
