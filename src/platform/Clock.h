// Ticks, sleeping and local time behind one interface, so tests can run on a fake clock.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds of a steady clock as a 32-bit count that wraps, like GetTickCount.
    virtual uint32_t GetTickCount() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // The current local time formatted with strftime.
    virtual std::string FormatLocalTime(const char* format) = 0;
};

// The real clock of the process.
Clock& SystemClock();

}  // namespace kestrel
