#include "sim/StatusReplies.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

constexpr std::string_view kModelField = "V60|";
constexpr std::string_view kFirmwareField = "1.00|";
constexpr int kTicketCountModulo = 10000;  // the count field keeps four digits
constexpr int kTicketCountDigits = 4;
constexpr int kIdentityBytes =
    static_cast<int>(kModelField.size() + kFirmwareField.size()) + kTicketCountDigits + 1;
constexpr int kStatusFieldBytes = 2 * kStatusByteCount - 1;
constexpr int kStatusPacketLength = kVentrixMinimumLength + kIdentityBytes + kStatusFieldBytes;
// The console counts "|" from the packet's first byte, so the length byte must not be one.
static_assert(kStatusPacketLength != '|', "the status packet's length byte would read as a |");
static_assert(kStatusPacketType != '|');

constexpr uint16_t kCrcDamage = 0xFFFF;
constexpr std::string_view kInfoLine1 = "Vantor 60 Firmware V1.00";

// Which printer conditions the Smart 0x81 record reports, and where: printer condition box,
// Smart box.
struct SmartBit {
    const StatusBitRow& condition;
    const SmartStatusBit& smart;
};
constexpr SmartBit kSmartBits[] = {
    {StatusBitRowFor(1074), SmartStatusBitFor(1011)},                // paper out -> Ticket Out
    {StatusBitRowFor(1088), SmartStatusBitFor(1012)},                // paper low -> Ticket Low
    {StatusBitRowFor(1075), SmartStatusBitFor(1013)},                // head up -> Chassis Open
    {StatusBitRowFor(1081), SmartStatusBitFor(1014)},                // data error
    {StatusBitRowFor(1090), SmartStatusBitFor(1015)},                // door open -> Cover Open
    {StatusBitRowFor(1083), SmartStatusBitFor(1016)},                // top of form error
    {StatusBitRowFor(1089), SmartStatusBitFor(1017)},                // jam -> Ticket Jam
    {StatusBitRowFor(kCheckPaperInChute), SmartStatusBitFor(1019)},  // -> Ticket not Taken
};
constexpr const SmartStatusBit& kSmartPrinterError = SmartStatusBitFor(1021);
// Faults that a Smart printer reports only as "Printer Error".
constexpr const StatusBitRow* kGeneralErrors[] = {
    &StatusBitRowFor(1072), &StatusBitRowFor(1073), &StatusBitRowFor(1076), &StatusBitRowFor(1078),
    &StatusBitRowFor(1079), &StatusBitRowFor(1080), &StatusBitRowFor(1082), &StatusBitRowFor(1084),
    &StatusBitRowFor(1087), &StatusBitRowFor(1086), &StatusBitRowFor(1091),
};

struct StateText {
    const StatusBitRow& condition;
    std::string_view text;
};
constexpr StateText kStateTexts[] = {
    {StatusBitRowFor(1089), "Paper jam"},
    {StatusBitRowFor(1074), "Paper out"},
    {StatusBitRowFor(1090), "Door open"},
    {StatusBitRowFor(1075), "Head up"},
    {StatusBitRowFor(kCheckPrinterBusy), "Printing"},
    {StatusBitRowFor(1088), "Paper low"},
};
bool IsSet(const PrinterStatus& status, const StatusBitRow& row) {
    return (status[row.byteIndex] & row.mask) != 0;
}

constexpr std::string_view kReadyText = "Ready";
constexpr std::string_view kErrorText = "Printer error";

}  // namespace

std::vector<uint8_t> StatusPayload(const PrinterStatus& status, int ticketsPrinted) {
    char count[16];
    std::snprintf(count, sizeof count, "%04u|",
                  static_cast<unsigned>(ticketsPrinted) % kTicketCountModulo);
    std::string identity;
    identity.append(kModelField).append(kFirmwareField).append(count);
    std::vector<uint8_t> payload(identity.begin(), identity.end());
    for (int i = 0; i < kStatusByteCount; ++i) {
        if (i > 0) {
            payload.push_back(kStatusFiller);
        }
        payload.push_back(status[i]);
    }
    return payload;
}

std::vector<uint8_t> BuildStatusPacket(const PrinterStatus& status, int ticketsPrinted,
                                       bool damageCrc) {
    std::vector<uint8_t> packet =
        BuildVentrixPacket(kStatusPacketType, StatusPayload(status, ticketsPrinted));
    if (damageCrc && packet.size() >= 2) {
        packet[packet.size() - 2] ^= static_cast<uint8_t>(kCrcDamage & 0xFF);
        packet[packet.size() - 1] ^= static_cast<uint8_t>(kCrcDamage >> 8);
    }
    return packet;
}

std::array<uint8_t, 2> SmartStatusBits(const PrinterStatus& status) {
    std::array<uint8_t, 2> bits{};
    const auto setSmartBit = [&bits](const SmartStatusBit& smart) {
        bits[static_cast<size_t>(smart.dataByte - 1)] |= smart.mask;
    };
    for (const SmartBit& bit : kSmartBits) {
        if (IsSet(status, bit.condition)) {
            setSmartBit(bit.smart);
        }
    }
    for (const StatusBitRow* error : kGeneralErrors) {
        if (IsSet(status, *error)) {
            setSmartBit(kSmartPrinterError);
        }
    }
    return bits;
}

std::vector<uint8_t> SmartTextRecord(uint8_t code, int length, std::string_view text) {
    std::vector<uint8_t> record(static_cast<size_t>(std::max(length, 1)), 0);
    record[0] = code;
    // The last byte stays NUL so a reader always finds the end of the text.
    const size_t room = record.size() >= 2 ? record.size() - 2 : 0;
    const size_t used = std::min(room, text.size());
    std::copy_n(text.begin(), used, record.begin() + 1);
    return record;
}

std::vector<uint8_t> SmartValueRecord(uint8_t code, uint8_t value) {
    return {code, value};
}

std::vector<uint8_t> SmartPollReply(const PrinterStatus& status, int ticketsPrinted,
                                    std::string_view stateText) {
    const std::array<uint8_t, 2> bits = SmartStatusBits(status);
    std::vector<uint8_t> reply = {kSmartStatusCode, bits[0], bits[1]};
    const std::string line2 = "Tickets: " + std::to_string(ticketsPrinted);
    for (const auto& record :
         {SmartTextRecord(kSmartInfoLine1Code, kSmartInfoLine1Length, kInfoLine1),
          SmartTextRecord(kSmartInfoLine2Code, kSmartInfoLine2Length, line2),
          SmartTextRecord(kSmartStateCode, kSmartStateLength, stateText)}) {
        reply.insert(reply.end(), record.begin(), record.end());
    }
    return reply;
}

std::string_view SmartStateText(const PrinterStatus& status) {
    for (const StateText& state : kStateTexts) {
        if (IsSet(status, state.condition)) {
            return state.text;
        }
    }
    const uint8_t errorByte = SmartStatusBits(status)[kSmartPrinterError.dataByte - 1];
    return (errorByte & kSmartPrinterError.mask) != 0 ? kErrorText : kReadyText;
}

}  // namespace kestrel
