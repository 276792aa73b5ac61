// The platform's GetDefaultCommConfig and SetCommConfig on Linux ttys.
#pragma once

#include <string>

#include "platform/CommTypes.h"

namespace kestrel {

// The defaults of a serial port that exists: 9600 bits per second, 8 data bits, no parity,
// 1 stop bit, DTR and RTS on. False (errno set) when `devicePath` is not a tty.
bool GetDefaultCommConfig(const std::string& devicePath, COMMCONFIG* config,
                          const std::string& sysfsRoot = "/sys");

// Applies the DCB of `config` to the tty `fd`: raw mode, then rate, size, parity, stop bits and
// flow control, then the DTR and RTS lines (a pseudo-terminal has none; that is not a failure).
// The read time-outs (VMIN, VTIME) are left as they are. False with errno kept on a non-tty,
// and with EINVAL for a DCB the platform would refuse.
bool SetCommConfig(int fd, const COMMCONFIG& config);

}  // namespace kestrel
