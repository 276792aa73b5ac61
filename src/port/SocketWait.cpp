#include "port/SocketWait.h"

namespace kestrel {

namespace {
constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr long kNanosecondsPerUnit = 10000;  // each unit of T mod 1000 counts 10 µs
}  // namespace

timespec SocketWaitLimit(uint32_t timeoutValue) {
    timespec limit{};
    limit.tv_sec = static_cast<time_t>(timeoutValue / kMillisecondsPerSecond);
    limit.tv_nsec = static_cast<long>(timeoutValue % kMillisecondsPerSecond) * kNanosecondsPerUnit;
    return limit;
}

}  // namespace kestrel
