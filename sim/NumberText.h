// Whole decimal numbers typed by people: on the command line and on the control channel.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrel {

// True when `text` is all digits (no sign, no blanks) and its value is at most `maximum`.
bool ParseDecimal(std::string_view text, int64_t maximum, int64_t& value);

}  // namespace kestrel
