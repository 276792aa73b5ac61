// The texts a failed operation leaves in m_lastError.
#pragma once

#include <string>

namespace kestrel {

inline constexpr const char* kOpenFailedText = "IOComm::Open() failed, GetLastError() returned: ";
inline constexpr const char* kSetCommConfigFailedText =
    "SetCommConfig(IOHandle, ....) failed, GetLastError() returned: ";
inline constexpr const char* kSetCommTimeoutsFailedText =
    "SetCommTimeouts(IOHandle, ....) failed, GetLastError() returned: ";
inline constexpr const char* kInputFailedText = "IOComm::Input() failed, GetLastError() returned: ";
inline constexpr const char* kOutputFailedText =
    "IOComm::Output() failed, GetLastError() returned: ";
inline constexpr const char* kInputPendingFailedText =
    "IOComm::InputPending() failed, GetLastError() returned: ";

// What follows kOpenFailedText and the error code: when the path is not a device (a regular
// file, a folder, a FIFO, a link to one of those), a sentence saying what it is; when the
// device exists but access was
// refused, or it is held by another program, a sentence saying so, and for a terminal the group
// that owns it and whether this user belongs to that group; otherwise nothing.
std::string OpenFailureExplanation(const std::string& path, int error, bool terminal);

}  // namespace kestrel
