#include "sim/SimPrinter.h"

#include <algorithm>
#include <cstdio>

#include "sim/HexText.h"
#include "sim/StatusReplies.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

// The monitor's Clear-all after its start byte: type 0x30 (0x10 with bit 5), then this payload.
constexpr uint8_t kClearAllType = 0x10;
constexpr std::string_view kClearAllPayload = "^C|^^C|j|^";

constexpr uint64_t kStaleFrameMs = 1000;  // a packet's rest must follow within this

// Smart progress records for each ticket phase.
constexpr uint8_t kPercentBusy = 0;
constexpr uint8_t kPercentBarcodes = 50;
constexpr uint8_t kPercentInChute = 90;
constexpr uint8_t kPercentDone = 100;
constexpr uint8_t kBarcodeField = 1;
constexpr uint8_t kTextField = 1;

constexpr const char* kModeNames[] = {"none", "smart", "normal", "ventrix", "serial"};

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

bool IsClearAll(const PacketScan& scan, std::span<const uint8_t> packet) {
    if (scan.type != kClearAllType ||
        scan.payloadSize != static_cast<int>(kClearAllPayload.size())) {
        return false;
    }
    const auto payload = packet.subspan(static_cast<size_t>(scan.payloadOffset),
                                        static_cast<size_t>(scan.payloadSize));
    return std::equal(payload.begin(), payload.end(), kClearAllPayload.begin());
}

std::string Hex16(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

}  // namespace

const char* ModeName(PrinterMode mode) {
    const auto index = static_cast<size_t>(mode);
    return index < std::size(kModeNames) ? kModeNames[index] : "?";
}

bool ParseModeName(std::string_view name, PrinterMode& mode) {
    for (const PrinterMode candidate : {PrinterMode::Ventrix, PrinterMode::Smart,
                                        PrinterMode::SerialPacket, PrinterMode::Normal}) {
        if (name == ModeName(candidate)) {
            mode = candidate;
            return true;
        }
    }
    return false;
}

SimPrinter::SimPrinter(const PrinterSettings& settings, LogSink verbose)
    : m_settings(settings),
      m_verbose(std::move(verbose)),
      m_job(settings.phaseMilliseconds),
      m_ventrixFramer(ScanVentrixPacket, kVentrixStartByte,
                      FramerLimits{kVentrixMaximumLength, kStaleFrameMs}),
      m_serialFramer(ScanSerialPacket, kSerialStartByte,
                     FramerLimits{kSimSerialFrameLimit, kStaleFrameMs}) {}

void SimPrinter::Log(const std::string& text) const {
    if (m_verbose) {
        m_verbose(text);
    }
}

std::vector<uint8_t> SimPrinter::Receive(std::span<const uint8_t> bytes, uint64_t now) {
    AdvanceTicket(now);
    std::vector<uint8_t> reply;
    switch (m_settings.mode) {
        case PrinterMode::Ventrix:
            m_ventrixFramer.Push(bytes, now, [&](const PacketScan& scan, auto packet) {
                OnVentrixPacket(scan, packet, now, reply);
            });
            break;
        case PrinterMode::SerialPacket:
            m_serialFramer.Push(bytes, now, [&](const PacketScan& scan, auto packet) {
                OnSerialPacket(scan, packet, now, reply);
            });
            break;
        case PrinterMode::Smart:
        case PrinterMode::Normal:
        case PrinterMode::None:
            OnRawBytes(bytes, now, reply);
            break;
    }
    if (m_faults.silent) {
        reply.clear();
    }
    return reply;
}

void SimPrinter::OnVentrixPacket(const PacketScan& scan, std::span<const uint8_t> packet,
                                 uint64_t now, std::vector<uint8_t>& reply) {
    if (scan.status == PacketScanStatus::NullPacket) {
        ++m_counters.packets;
        Log("rx null packet");
        reply.push_back(kVentrixStartByte);
        reply.push_back(kVentrixNullType);
        return;
    }
    if (!scan.crcMatches) {
        ++m_counters.crcErrors;
        Log("rx packet with a bad CRC: carries " + Hex16(scan.packetCrc) + ", computed " +
            Hex16(scan.computedCrc) + ": " + FormatHexBytes(packet));
        return;
    }
    ++m_counters.packets;
    if (scan.type == kStatusPacketType) {
        ++m_counters.statusRequests;
        Log("rx status request, sequence " + std::to_string(scan.sequence));
        Append(reply, StatusPacket());
    } else if (IsClearAll(scan, packet)) {
        ++m_counters.clearAlls;
        Log("rx clear-all, sequence " + std::to_string(scan.sequence));
        m_job.ClearDone();
    } else {
        Log("rx ticket data, type " + FormatHexBytes(std::span(&scan.type, 1)) + ", sequence " +
            std::to_string(scan.sequence) + ", " + std::to_string(scan.payloadSize) + " bytes");
        OnTicketData(now);
    }
}

void SimPrinter::OnSerialPacket(const PacketScan& scan, std::span<const uint8_t> packet,
                                uint64_t now, std::vector<uint8_t>& reply) {
    if (!scan.crcMatches) {
        ++m_counters.crcErrors;
        Log("rx serial packet with a bad CRC: carries " + Hex16(scan.packetCrc) + ", computed " +
            Hex16(scan.computedCrc));
        return;
    }
    ++m_counters.packets;
    const auto data = packet.subspan(static_cast<size_t>(scan.payloadOffset),
                                     static_cast<size_t>(scan.payloadSize));
    if (IsSmartPoll(data)) {
        ++m_counters.statusRequests;
        Log("rx serial packet poll, sequence " + std::to_string(scan.sequence));
        std::vector<uint8_t> answer = BuildSerialPacket(scan.sequence, SmartReply());
        if (TakeCrcDamage()) {
            answer.back() ^= 0xFF;
        }
        Append(reply, answer);
    } else if (!data.empty()) {
        Log("rx serial packet ticket data, sequence " + std::to_string(scan.sequence) + ", " +
            std::to_string(data.size()) + " bytes");
        OnTicketData(now);
    }
}

void SimPrinter::OnRawBytes(std::span<const uint8_t> bytes, uint64_t now,
                            std::vector<uint8_t>& reply) {
    m_pollScanner.Push(
        bytes,
        [&] {
            ++m_counters.statusRequests;
            Log("rx poll");
            if (m_settings.mode == PrinterMode::Smart) {
                Append(reply, SmartReply());
            }
        },
        [&](size_t count) {
            Log("rx ticket data, " + std::to_string(count) + " bytes");
            OnTicketData(now);
        });
}

void SimPrinter::OnTicketData(uint64_t now) {
    ++m_counters.ticketData;
    if (m_faults.neverBusy) {
        return;
    }
    m_job.OnTicketData(now);
}

void SimPrinter::AdvanceTicket(uint64_t now) {
    for (const TicketPhase phase : m_job.Advance(now, m_faults.HaltsPrinting())) {
        Log(std::string("ticket phase ") + TicketPhaseName(phase));
        if (m_settings.mode != PrinterMode::Smart) {
            continue;
        }
        switch (phase) {
            case TicketPhase::Busy:
                Append(m_unsolicited, SmartValueRecord(kSmartPercentCode, kPercentBusy));
                break;
            case TicketPhase::BarcodeDone:
                Append(m_unsolicited, SmartValueRecord(kSmartCriticalFieldCode, kBarcodeField));
                Append(m_unsolicited, SmartValueRecord(kSmartPercentCode, kPercentBarcodes));
                break;
            case TicketPhase::InChute:
                Append(m_unsolicited, SmartValueRecord(kSmartFieldCode, kTextField));
                Append(m_unsolicited, SmartValueRecord(kSmartPercentCode, kPercentInChute));
                break;
            case TicketPhase::Done:
                Append(m_unsolicited, SmartValueRecord(kSmartPercentCode, kPercentDone));
                break;
            case TicketPhase::Idle:
            case TicketPhase::Receiving:
                break;
        }
    }
}

std::vector<uint8_t> SimPrinter::Tick(uint64_t now) {
    AdvanceTicket(now);
    // Packets found behind an abandoned frame are answered like any others.
    std::vector<uint8_t> replies;
    m_ventrixFramer.Expire(now, [&](const PacketScan& scan, auto packet) {
        OnVentrixPacket(scan, packet, now, replies);
    });
    m_serialFramer.Expire(now, [&](const PacketScan& scan, auto packet) {
        OnSerialPacket(scan, packet, now, replies);
    });
    Append(m_unsolicited, replies);
    if (m_settings.periodicMilliseconds > 0 && now >= m_nextPeriodic) {
        m_nextPeriodic = now + m_settings.periodicMilliseconds;
        if (m_settings.mode == PrinterMode::Ventrix) {
            Append(m_unsolicited, StatusPacket());
        } else if (m_settings.mode == PrinterMode::Smart) {
            const std::array<uint8_t, 2> bits = SmartStatusBits(Status());
            Append(m_unsolicited, {kSmartStatusCode, bits[0], bits[1]});
        }
    }
    std::vector<uint8_t> out;
    out.swap(m_unsolicited);
    if (m_faults.silent) {
        out.clear();
    }
    return out;
}

uint64_t SimPrinter::NextDeadline() const {
    uint64_t next = 0;
    const auto consider = [&next](uint64_t deadline) {
        if (deadline != 0 && (next == 0 || deadline < next)) {
            next = deadline;
        }
    };
    consider(m_job.NextDeadline());
    consider(m_ventrixFramer.NextDeadline());
    consider(m_serialFramer.NextDeadline());
    if (m_settings.periodicMilliseconds > 0) {
        consider(std::max<uint64_t>(m_nextPeriodic, 1));
    }
    if (!m_unsolicited.empty()) {
        consider(1);
    }
    return next;
}

void SimPrinter::ResetInput() {
    m_ventrixFramer.Reset();
    m_serialFramer.Reset();
    m_pollScanner.Reset();
}

void SimPrinter::SetMode(PrinterMode mode) {
    m_settings.mode = mode;
    ResetInput();
}

PrinterStatus SimPrinter::Status() const {
    PrinterStatus status = m_job.PhaseBits();
    for (int i = 0; i < kStatusByteCount; ++i) {
        status[i] |= m_faults.forcedBits[i];
    }
    return status;
}

FramerCounters SimPrinter::InputCounters() const {
    FramerCounters total = m_ventrixFramer.Counters();
    const FramerCounters& serial = m_serialFramer.Counters();
    total.skippedBytes += serial.skippedBytes;
    total.malformed += serial.malformed;
    total.abandoned += serial.abandoned;
    return total;
}

size_t SimPrinter::BufferedInput() const {
    return m_ventrixFramer.Buffered() + m_serialFramer.Buffered() + m_pollScanner.Held();
}

bool SimPrinter::TakeCrcDamage() {
    if (m_faults.badCrcReplies <= 0) {
        return false;
    }
    --m_faults.badCrcReplies;
    return true;
}

std::vector<uint8_t> SimPrinter::StatusPacket() {
    const bool damage = TakeCrcDamage();
    std::vector<uint8_t> packet = BuildStatusPacket(Status(), m_job.TicketsPrinted(), damage);
    Log("tx status packet" + std::string(damage ? " with a bad CRC" : "") + ": " +
        FormatHexBytes(packet));
    return packet;
}

std::vector<uint8_t> SimPrinter::SmartReply() {
    const PrinterStatus status = Status();
    return SmartPollReply(status, m_job.TicketsPrinted(), SmartStateText(status));
}

std::string SimPrinter::Describe() const {
    const PrinterStatus status = Status();
    char bytes[64];
    std::snprintf(bytes, sizeof bytes, "S=%02x S+2=%02x S+4=%02x S+6=%02x S+8=%02x", status[0],
                  status[1], status[2], status[3], status[4]);
    const FramerCounters input = InputCounters();
    std::string text = bytes;
    text += " bits=" + DescribeStatus(status);
    text += std::string(" ticket=") + TicketPhaseName(m_job.Phase());
    text += " tickets=" + std::to_string(m_job.TicketsPrinted());
    text += " packets=" + std::to_string(m_counters.packets);
    text += " crc-errors=" + std::to_string(m_counters.crcErrors);
    text += " malformed=" + std::to_string(input.malformed);
    text += " skipped=" + std::to_string(input.skippedBytes);
    text += " abandoned=" + std::to_string(input.abandoned);
    text += " requests=" + std::to_string(m_counters.statusRequests);
    text += " clear-alls=" + std::to_string(m_counters.clearAlls);
    text += std::string(" mode=") + ModeName(m_settings.mode);
    text += " bad-crc=" + std::to_string(m_faults.badCrcReplies);
    text += std::string(" silence=") + (m_faults.silent ? "on" : "off");
    text += std::string(" never-busy=") + (m_faults.neverBusy ? "on" : "off");
    text += " drop-after=" + (m_faults.dropAfterBytes == kNoDrop
                                  ? std::string("off")
                                  : std::to_string(m_faults.dropAfterBytes));
    return text;
}

}  // namespace kestrel
