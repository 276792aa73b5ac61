// The bit switches of the "DebugMode" setting.
#pragma once

#include <cstdint>

namespace kestrel {

// Open a serial port although its configuration or time-outs were refused.
inline constexpr uint32_t kDebugIgnoreConfigFailures = 0x1;
// InputPending reports 0 rather than 200 when the output queue cannot be read.
inline constexpr uint32_t kDebugPendingFailureIsEmpty = 0x2;

}  // namespace kestrel
