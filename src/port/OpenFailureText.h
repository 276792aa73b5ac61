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

// What follows kOpenFailedText and the error code: a path that is not a device (a regular file,
// a folder, a FIFO, a link to one of those) in a sentence saying what it is; a device that does
// not exist, or one that exists but refused access or is held by another program, in a
// sentence saying so; for a refused terminal also who may open it: its owner only, or its
// group, with whether this user belongs to it and how to join it. Otherwise nothing.
std::string OpenFailureExplanation(const std::string& path, int error, bool terminal);

}  // namespace kestrel
