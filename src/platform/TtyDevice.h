// Whether a path names a terminal device, found without opening it: opening a serial port
// raises its modem lines, which a classification must not do.
#pragma once

#include <string>

namespace kestrel {

// True for a character device that the kernel lists in the tty class, or a pseudo-terminal.
// When false, errno says why (ENOTTY for something that is not a terminal).
bool IsTtyDevice(const std::string& path, const std::string& sysfsRoot = "/sys");

}  // namespace kestrel
