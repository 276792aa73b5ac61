// One Ventrix packet: the CRC check and, for a status packet, the 22 condition boxes of the
// console's Ventrix group, the printer-in-error flag and the application-log entries.
#pragma once

#include <cstdint>

#include "platform/DialogHost.h"
#include "status/StatusDecoder.h"

namespace kestrel {

// Decodes the packet that starts the `available` (at least 1) bytes and returns how many bytes
// to consume: 0 while the packet is incomplete; bytes before the next start byte (all of them
// when there is none) when no packet starts there. A null packet
// takes 2 bytes; a length byte below 5 makes a malformed packet of its 3 header bytes, dropped
// without touching `printerInError`. Never reads past `available` nor past the packet.
int DecodeVentrixStatus(const uint8_t* bytes, int available, DialogHost& host, StatusLog& log,
                        int& printerInError);

}  // namespace kestrel
