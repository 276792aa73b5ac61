// The port layer's reason for a failure, put after the system's own message that reports it:
// the message stays exactly as it is and the reason follows on a line of its own.
#pragma once

#include <string>

#include "port/IOComm.h"

namespace kestrel {

// "\r\n", the line break of a message box's text.
inline constexpr const char* kReasonLineBreak = "\r\n";

// `message`, then kReasonLineBreak and the port's m_lastError. Without a reason, or when the
// message already holds it, the message unchanged.
std::string PortFailureText(const std::string& message, const IOComm& port);

}  // namespace kestrel
