// Waits and limits shared by the port operations.
#pragma once

#include <cstdint>

namespace kestrel {

// The reopen back-off of repeated read or modem-status failures: it starts at 200 ms, grows by
// a second with each reopen, up to eight seconds, and starts again after a reopen that helped.
inline constexpr uint32_t kRetryDelayStartMs = 200;
inline constexpr uint32_t kRetryDelayStepMs = 1000;
inline constexpr uint32_t kRetryDelayMaxMs = 8000;
// Failures before each further one reopens the port.
inline constexpr int kFailuresBeforeReopen = 4;

// A printer that does not accept within this time is taken as absent, so a listener that never
// accepts cannot hold the console for the kernel's two minutes of connection attempts.
inline constexpr uint32_t kDefaultConnectLimitMs = 5000;

// The least time-out value of a socket (which its wait takes as 1 ms).
inline constexpr uint32_t kSocketTimeoutFloor = 100;

}  // namespace kestrel
