// Raising the process's scheduling priority, behind a seam so tests never change their own.
#pragma once

#include <string>

namespace kestrel {

class ProcessPriority {
  public:
    virtual ~ProcessPriority() = default;
    // Raises the priority as far as the system permits; false with `error` set when it
    // refused every step.
    virtual bool Raise(std::string* error) = 0;
};

// The real process: its nice value lowered towards kHighestNice, never real-time scheduling,
// which could starve the display server behind a busy window thread.
ProcessPriority& SystemProcessPriority();

inline constexpr int kHighestNice = -10;

}  // namespace kestrel
