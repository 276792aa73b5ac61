#include "packets/FrameFacts.h"

#include <array>
#include <cstdio>

#include "commlog/TrafficCapture.h"
#include "notation/ControlCodeTable.h"
#include "platform/AsciiText.h"
#include "status/ClearAllCommand.h"
#include "status/PrinterMode.h"
#include "status/SerialPacket.h"
#include "status/SmartRecordDecoder.h"
#include "status/SmartRecordTable.h"
#include "status/StatusBitTable.h"
#include "status/StatusPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

constexpr size_t kPayloadPreviewChars = 40;
constexpr uint8_t kFirstHighByte = 0x7F;

constexpr std::array<const char*, kFrameKindCount> kKindNames = {"Ventrix", "Serial", "Smart",
                                                                 "Bytes", "Mode"};
constexpr std::array<const char*, 5> kModeNames = {"None", "Smart", "Normal", "Ventrix",
                                                   "SerialPacket"};

std::string Hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
    return text;
}

std::string Quoted(std::span<const uint8_t> bytes) {
    return "\"" + BytesAsText(bytes, kPayloadPreviewChars) + "\"";
}

// The captions of the set conditions, in table order, or "no condition set".
template <typename Rows, typename IsSet>
std::string Conditions(const Rows& rows, IsSet isSet) {
    std::string text;
    for (const auto& row : rows) {
        if (isSet(row)) {
            text += (text.empty() ? "" : ", ") + std::string(row.caption);
        }
    }
    return text.empty() ? "no condition set" : text;
}

void CopyScan(const PacketScan& scan, FrameFacts& facts) {
    facts.length = scan.length;
    facts.sequence = scan.sequence;
    facts.packetCrc = scan.packetCrc;
    facts.computedCrc = scan.computedCrc;
    facts.crcMismatch = !scan.crcMatches;
}

FrameFacts DescribeVentrix(int direction, std::span<const uint8_t> bytes) {
    FrameFacts facts;
    facts.length = static_cast<int>(bytes.size());
    const PacketScan scan = ScanVentrixPacket(bytes.data(), static_cast<int>(bytes.size()));
    switch (scan.status) {
        case PacketScanStatus::NullPacket:
            facts.meaning = "Null packet";
            return facts;
        case PacketScanStatus::Malformed:
            facts.type = scan.type;
            facts.meaning = "Malformed: length byte " + std::to_string(bytes[2]) + " is below " +
                            std::to_string(kVentrixMinimumLength);
            return facts;
        case PacketScanStatus::NotStart:
        case PacketScanStatus::NeedMore:
            facts.meaning = "Incomplete packet";
            return facts;
        case PacketScanStatus::Complete:
            break;
    }
    CopyScan(scan, facts);
    facts.type = scan.type;
    const auto payload = bytes.subspan(static_cast<size_t>(scan.payloadOffset),
                                       static_cast<size_t>(scan.payloadSize));
    if (facts.crcMismatch) {
        facts.meaning = "CRC mismatch: the packet is dropped";
    } else if (IsClearAllPacket(bytes.data(), scan)) {
        facts.meaning = "Clear-all";
    } else if (scan.type != kStatusPacketType) {
        facts.meaning = "Payload " + Quoted(payload);
    } else if (const auto status = ReadStatusBytes(bytes.data(), scan.length)) {
        facts.meaning = "Status: " + Conditions(kStatusBitTable, [&](const StatusBitRow& row) {
                            return StatusBitSet(*status, row);
                        });
    } else {
        facts.meaning =
            direction == TrafficSent ? "Status request" : "Status packet without status bytes";
    }
    return facts;
}

FrameFacts DescribeSerial(std::span<const uint8_t> bytes) {
    FrameFacts facts;
    facts.length = static_cast<int>(bytes.size());
    const PacketScan scan = ScanSerialPacket(bytes.data(), static_cast<int>(bytes.size()));
    if (scan.status == PacketScanStatus::Malformed) {
        facts.meaning = "Malformed: length " + std::to_string((bytes[1] << 8) | bytes[2]) +
                        " is below " + std::to_string(kSerialFramingBytes);
        return facts;
    }
    if (scan.status != PacketScanStatus::Complete) {
        facts.meaning = "Incomplete packet";
        return facts;
    }
    CopyScan(scan, facts);
    const auto data = bytes.subspan(static_cast<size_t>(scan.payloadOffset),
                                    static_cast<size_t>(scan.payloadSize));
    facts.meaning = facts.crcMismatch ? "CRC mismatch" : "Data " + Quoted(data);
    return facts;
}

std::string SmartTextLabel(int controlId) {
    switch (controlId) {
        case kSmartInfoLine1Id:
            return "Information line 1";
        case kSmartInfoLine2Id:
            return "Information line 2";
        default:
            return "Printer state";
    }
}

FrameFacts DescribeSmart(std::span<const uint8_t> bytes) {
    FrameFacts facts;
    facts.length = static_cast<int>(bytes.size());
    const SmartRecord record = SmartRecordFor(bytes[0]);
    facts.type = bytes[0];
    if (bytes.size() < static_cast<size_t>(record.length)) {
        facts.meaning = "Incomplete record";
        return facts;
    }
    switch (record.action) {
        case SmartRecordAction::StatusBits:
            facts.meaning = "Status: " + Conditions(kSmartStatusBitTable, [&](const auto& bit) {
                                return SmartStatusBitSet(bytes.data(), bit);
                            });
            break;
        case SmartRecordAction::Text: {
            const std::string text = SmartRecordText(bytes.data(), record);
            facts.meaning =
                SmartTextLabel(record.controlId) + " " +
                Quoted(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
            break;
        }
        case SmartRecordAction::Percent:
            facts.meaning = "Printed " + std::to_string(bytes[1]) + "%";
            break;
        case SmartRecordAction::AppendValue:
            facts.meaning = std::string(record.controlId == kSmartCriticalFieldsId
                                            ? "Critical field done: "
                                            : "Non-critical field done: ") +
                            std::to_string(bytes[1]);
            break;
        case SmartRecordAction::Skip:
            facts.meaning = "Skipped code, data " + Hex2(bytes[1]);
            break;
    }
    return facts;
}

}  // namespace

FrameFacts DescribeFrame(FrameKind kind, int direction, std::span<const uint8_t> bytes,
                         int printerMode) {
    if (kind == FrameKind::Mode) {
        FrameFacts facts;
        facts.meaning = PrinterModeName(printerMode);
        return facts;
    }
    if (bytes.empty()) {
        return FrameFacts{};
    }
    switch (kind) {
        case FrameKind::Ventrix:
            return DescribeVentrix(direction, bytes);
        case FrameKind::SerialPacket:
            return DescribeSerial(bytes);
        case FrameKind::Smart:
            return DescribeSmart(bytes);
        case FrameKind::Bytes:
        case FrameKind::Mode:
            break;
    }
    FrameFacts facts;
    facts.length = static_cast<int>(bytes.size());
    facts.meaning = Quoted(bytes);
    return facts;
}

std::string FrameSummary(FrameKind kind, const FrameFacts& facts) {
    std::string text = FrameKindName(kind);
    if (kind != FrameKind::Mode) {
        text += " len " + std::to_string(facts.length);
    }
    if (facts.sequence) {
        text += " seq " + std::to_string(*facts.sequence);
    }
    if (facts.type) {
        text += (kind == FrameKind::Smart ? " code " : " type ") + Hex2(*facts.type);
    }
    if (facts.packetCrc && facts.computedCrc) {
        char crc[48];
        std::snprintf(crc, sizeof crc, " CRC %04X calculated %04X%s", *facts.packetCrc,
                      *facts.computedCrc, facts.crcMismatch ? " MISMATCH" : "");
        text += crc;
    }
    return text + ": " + facts.meaning;
}

const char* FrameKindName(FrameKind kind) {
    return kKindNames[static_cast<size_t>(kind)];
}

std::optional<FrameKind> FrameKindNamed(std::string_view name) {
    for (size_t i = 0; i < kKindNames.size(); ++i) {
        if (name == kKindNames[i]) {
            return static_cast<FrameKind>(i);
        }
    }
    return std::nullopt;
}

const char* PrinterModeName(int printerMode) {
    return printerMode >= 0 && printerMode < static_cast<int>(kModeNames.size())
               ? kModeNames[static_cast<size_t>(printerMode)]
               : "None";
}

std::optional<int> PrinterModeNamed(std::string_view name) {
    for (size_t i = 0; i < kModeNames.size(); ++i) {
        if (name == kModeNames[i]) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::string BytesAsText(std::span<const uint8_t> bytes, size_t maxChars) {
    std::string text;
    for (const uint8_t byte : bytes) {
        if (text.size() >= maxChars) {
            return text + "...";
        }
        if (byte < kFirstPrintable) {
            text += "[" + std::string(ControlCodeName(byte)) + "]";
        } else if (byte < kFirstHighByte) {
            text += static_cast<char>(byte);
        } else {
            text += "<" + Hex2(byte) + ">";
        }
    }
    return text;
}

}  // namespace kestrel
