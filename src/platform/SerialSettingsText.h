// The serial settings text as the platform's BuildCommDCB reads it, in both of its forms:
//   "9600,n,8,1" with an optional fifth field "x" (XON/XOFF) or "p" (hardware), and
//   "baud=9600 parity=n data=8 stop=1 to=on xon=on odsr=on octs=on dtr=on|off|hs
//    rts=on|off|hs|tg idsr=on".
// Either may start with a device name such as "COM1:", which is skipped.
#pragma once

#include "platform/CommTypes.h"

namespace kestrel {

// Applies `text` to `dcb`. A text the platform refuses (an unknown key, a bad value, data bits
// other than 5 to 8, stop bits other than 1, 1.5 and 2, parity other than n, o, e, m, s, an
// empty text) leaves `dcb` unchanged and returns false.
bool BuildCommDcb(const char* text, DCB* dcb);

}  // namespace kestrel
