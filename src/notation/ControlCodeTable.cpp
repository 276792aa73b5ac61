#include "notation/ControlCodeTable.h"

#include <array>

#include "platform/AsciiText.h"

namespace kestrel {
namespace {

// 0x00 is "NULL" and 0x10 is "DEL": the printer's documentation names them so.
constexpr std::array<const char*, kControlCodeCount> kControlCodeNames = {
    "NULL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",   "FF",  "CR",  "SO",  "SI",  "DEL", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN",  "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

}  // namespace

const char* ControlCodeName(uint8_t byte) {
    return byte < kControlCodeCount ? kControlCodeNames[byte] : kNoControlCodeName;
}

int FindControlCode(std::string_view token) {
    for (int code = 0; code < kControlCodeCount; ++code) {
        if (StartsWithNoCase(token, kControlCodeNames[code])) {
            return code;
        }
    }
    return -1;
}

}  // namespace kestrel
