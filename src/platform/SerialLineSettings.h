// What a DCB means for a Linux tty: the termios image and the two modem-line actions. Kept as a
// pure function so the mapping is tested without a serial port.
#pragma once

#include <termios.h>

#include <cstdint>

#include "platform/CommTypes.h"

namespace kestrel {

enum class ModemLineAction { Set, Clear };

struct SerialLineSettings {
    // False for a DCB the platform would refuse (rate 0, data bits outside 5 to 8, an unknown
    // parity or stop-bit value); nothing else in the record is meaningful then.
    bool valid = false;
    speed_t speed = B9600;     // the standard constant, when customSpeed is false
    bool customSpeed = false;  // the rate has no constant: set it through termios2 with BOTHER
    uint32_t baudRate = 0;
    tcflag_t cflag = 0;  // CSIZE, PARENB, PARODD, CMSPAR, CSTOPB, CRTSCTS, with CREAD and CLOCAL
    tcflag_t iflag = 0;  // IXON, IXOFF; never INPCK, IGNPAR or PARMRK
    cc_t startChar = 0;  // VSTART
    cc_t stopChar = 0;   // VSTOP
    ModemLineAction dtr = ModemLineAction::Set;
    ModemLineAction rts = ModemLineAction::Set;
};

// The bits of c_cflag and c_iflag that SerialLineSettings decides; all others stay as they are.
inline constexpr tcflag_t kLineCflagMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
inline constexpr tcflag_t kLineIflagMask = IXON | IXOFF | INPCK | IGNPAR | PARMRK;

SerialLineSettings DcbToTermios(const DCB& dcb);

}  // namespace kestrel
