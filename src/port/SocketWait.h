// The wait limit of a socket operation. The time-out value T in milliseconds is given to the
// wait as T div 1000 seconds plus (T mod 1000) × 10 microseconds, so the usual value of 100
// waits 1 ms: the status read tick relies on a socket read coming back that quickly.
#pragma once

#include <cstdint>
#include <ctime>

namespace kestrel {

timespec SocketWaitLimit(uint32_t timeoutValue);

}  // namespace kestrel
