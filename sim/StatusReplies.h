// The bytes the simulated printer sends: the Ventrix status packet and the Smart status records.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "sim/StatusBits.h"
#include "status/SmartRecordTable.h"

namespace kestrel {

inline constexpr uint8_t kStatusFiller = 0x00;  // between the status bytes; never a "|"

// The payload of a status packet: identity fields separated by "|" (the third "|" ends right
// before the status origin), then the five status bytes with one filler byte between each two.
std::vector<uint8_t> StatusPayload(const PrinterStatus& status, int ticketsPrinted);

// A complete status packet (type 0x12). With `damageCrc` its CRC is deliberately wrong.
std::vector<uint8_t> BuildStatusPacket(const PrinterStatus& status, int ticketsPrinted,
                                       bool damageCrc);

// The two data bytes of the Smart 0x81 record for the printer's condition bits.
std::array<uint8_t, 2> SmartStatusBits(const PrinterStatus& status);

// A record of `length` bytes: the code, then `text` cut to length - 2 characters, NUL-padded.
std::vector<uint8_t> SmartTextRecord(uint8_t code, int length, std::string_view text);

// A two-byte record: the code and one value byte.
std::vector<uint8_t> SmartValueRecord(uint8_t code, uint8_t value);

// The reply to a Smart status poll: the 0x81 record, both information lines and the state text.
std::vector<uint8_t> SmartPollReply(const PrinterStatus& status, int ticketsPrinted,
                                    std::string_view stateText);

// The state text a Smart printer reports ("Ready", "Printing", "Paper out", ...).
std::string_view SmartStateText(const PrinterStatus& status);

}  // namespace kestrel
