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

// Which printer conditions the Smart 0x81 record reports, and where.
struct SmartBit {
    int byteIndex;
    uint8_t mask;
    int dataByte;  // 0 or 1
    uint8_t smartMask;
};
constexpr SmartBit kSmartBits[] = {
    {0, 0x04, 0, 0x01},  // paper out -> Ticket Out
    {3, 0x01, 0, 0x02},  // paper low -> Ticket Low
    {0, 0x08, 0, 0x04},  // head up -> Chassis Open
    {1, 0x08, 0, 0x08},  // data error
    {4, 0x04, 0, 0x10},  // door open -> Cover Open
    {2, 0x01, 0, 0x20},  // top of form error
    {3, 0x02, 1, 0x01},  // jam
    {2, 0x08, 1, 0x02},  // paper in chute -> Ticket not Taken
};
constexpr uint8_t kSmartPrinterError = 0x04;  // second data byte
// Faults that a Smart printer reports only as "Printer Error".
constexpr PrinterStatus kGeneralErrorMasks = {0x13, 0x27, 0x34, 0x00, 0x08};

struct StateText {
    int byteIndex;
    uint8_t mask;
    std::string_view text;
};
constexpr StateText kStateTexts[] = {
    {3, 0x02, "Paper jam"}, {0, 0x04, "Paper out"}, {4, 0x04, "Door open"},
    {0, 0x08, "Head up"},   {0, 0x20, "Printing"},  {3, 0x01, "Paper low"},
};
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
    for (const SmartBit& bit : kSmartBits) {
        if (status[bit.byteIndex] & bit.mask) {
            bits[bit.dataByte] |= bit.smartMask;
        }
    }
    for (int i = 0; i < kStatusByteCount; ++i) {
        if (status[i] & kGeneralErrorMasks[i]) {
            bits[1] |= kSmartPrinterError;
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
        if (status[state.byteIndex] & state.mask) {
            return state.text;
        }
    }
    return SmartStatusBits(status)[1] & kSmartPrinterError ? kErrorText : kReadyText;
}

}  // namespace kestrel
