#include "notation/ControlCodeTable.h"

#include <array>
#include <cctype>

namespace kestrel {
namespace {

// 0x00 is "NULL" and 0x10 is "DEL": the printer's documentation names them so.
constexpr std::array<const char*, kControlCodeCount> kControlCodeNames = {
    "NULL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",   "FF",  "CR",  "SO",  "SI",  "DEL", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN",  "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

bool TokenBeginsWith(std::string_view token, std::string_view name) {
    if (token.size() < name.size()) {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(token[i]);
        if (std::toupper(c) != static_cast<unsigned char>(name[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

const char* ControlCodeName(uint8_t byte) {
    return byte < kControlCodeCount ? kControlCodeNames[byte] : kNoControlCodeName;
}

int FindControlCode(std::string_view token) {
    for (int code = 0; code < kControlCodeCount; ++code) {
        if (TokenBeginsWith(token, kControlCodeNames[code])) {
            return code;
        }
    }
    return -1;
}

}  // namespace kestrel
