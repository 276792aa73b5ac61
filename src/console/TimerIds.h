// The console's window timers and their fixed periods.
#pragma once

#include <cstdint>

namespace kestrel {

inline constexpr int TIMER_STATUS_READ = 9;
inline constexpr int TIMER_LOG_REFRESH = 11;
inline constexpr int TIMER_POLL = 15;
inline constexpr int TIMER_REPEAT = 33;
inline constexpr int TIMER_CMDLINE_JOB = 99;
inline constexpr int TIMER_MONITOR = 100;
// Ours: the next attempt to open a lost port again.
inline constexpr int TIMER_RECONNECT = 121;

inline constexpr uint32_t kStatusReadPeriodMs = 50;
inline constexpr uint32_t kLogRefreshPeriodMs = 100;
inline constexpr uint32_t kCmdLineJobDelayMs = 200;
inline constexpr uint32_t kMonitorPeriodMs = 100;
inline constexpr uint32_t kReconnectPeriodMs = 1000;

}  // namespace kestrel
