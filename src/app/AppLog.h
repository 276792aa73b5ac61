// The application log "Kestrel.log": plain text in the current directory, one time-stamped
// entry per start and per message shown to the operator.
#pragma once

#include <string>

#include "platform/Clock.h"

namespace kestrel {

inline constexpr const char* kAppLogName = "Kestrel.log";
inline constexpr const char* kAppLogPreviousName = "Kestrel.log.1";
// An entry that takes the log past this size moves it aside and starts a new one.
inline constexpr long kAppLogMaxSize = 2500000;
inline constexpr const char* kAppLogTimeFormat = "%A, %B %d, %H:%M:%S";

// Appends one entry: a line feed, the local time, a line feed, the text and two line feeds,
// flushed line by line. When the entry takes the file past kAppLogMaxSize, the file becomes
// "Kestrel.log.1" (replacing an older one) and "Kestrel.log" starts empty, so the size stays
// bounded without losing the latest entries. A log that cannot be opened loses the entry
// silently.
void AppendAppLogEntry(Clock& clock, const std::string& text);

}  // namespace kestrel
