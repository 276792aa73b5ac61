// The simulated printer, apart from its wires: takes the console's bytes in the chosen dialect,
// answers polls and status requests, prints tickets through their phases and applies the
// injected faults. Time is passed in (milliseconds of a steady clock), so tests can drive it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "sim/FaultState.h"
#include "sim/PacketFramer.h"
#include "sim/SmartPollScanner.h"
#include "sim/StatusBits.h"
#include "sim/TicketJob.h"
#include "status/PrinterMode.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {

// A serial packet is waited for up to the largest length its 16-bit field can announce, so a
// whole-file ticket (9,999 bytes, 10,006 framed) arrives as one packet.
inline constexpr int kSimSerialFrameLimit = kSerialMaximumLength;
// The most received bytes the printer holds back between calls (BufferedInput): the rest of a
// serial packet, of a Ventrix packet and of a Smart poll.
inline constexpr size_t kSimMaxBufferedInput =
    kSimSerialFrameLimit + kVentrixMaximumLength + sizeof kSmartStatusPoll;

struct PrinterSettings {
    PrinterMode mode = PrinterMode::Ventrix;
    uint64_t phaseMilliseconds = 300;
    uint64_t periodicMilliseconds = 0;  // 0: no status unless asked
};

struct PrinterCounters {
    uint64_t packets = 0;         // well-formed packets with a good CRC
    uint64_t crcErrors = 0;       // packets rejected for their CRC
    uint64_t statusRequests = 0;  // status requests and polls answered or due
    uint64_t ticketData = 0;      // packets (or raw runs) taken as ticket data
    uint64_t clearAlls = 0;
};

const char* ModeName(PrinterMode mode);
// "ventrix", "smart", "serial" or "normal"; false for anything else.
bool ParseModeName(std::string_view name, PrinterMode& mode);

class SimPrinter {
  public:
    using LogSink = std::function<void(const std::string&)>;

    explicit SimPrinter(const PrinterSettings& settings, LogSink verbose = nullptr);

    // Bytes from the console at `now`; returns what goes back on the same wire.
    std::vector<uint8_t> Receive(std::span<const uint8_t> bytes, uint64_t now);
    // Moves time on to `now`; returns what the printer sends unasked (periodic status, Smart
    // progress records), for every wire.
    std::vector<uint8_t> Tick(uint64_t now);
    // When Tick next has work; 0 when nothing is due.
    uint64_t NextDeadline() const;
    // The connection went away: partly received packets are forgotten.
    void ResetInput();

    PrinterStatus Status() const;
    FaultState& Faults() { return m_faults; }
    const FaultState& Faults() const { return m_faults; }
    const PrinterCounters& Counters() const { return m_counters; }
    FramerCounters InputCounters() const;
    // Received bytes held back for the rest of a packet or poll.
    size_t BufferedInput() const;
    const TicketJob& Job() const { return m_job; }
    PrinterMode Mode() const { return m_settings.mode; }
    void SetMode(PrinterMode mode);
    // One line with the status bytes, the set bits, the ticket, the counters and the faults.
    std::string Describe() const;

  private:
    void OnVentrixPacket(const PacketScan& scan, std::span<const uint8_t> packet, uint64_t now,
                         std::vector<uint8_t>& reply);
    void OnSerialPacket(const PacketScan& scan, std::span<const uint8_t> packet, uint64_t now,
                        std::vector<uint8_t>& reply);
    void OnRawBytes(std::span<const uint8_t> bytes, uint64_t now, std::vector<uint8_t>& reply);
    void OnTicketData(uint64_t now);
    void AdvanceTicket(uint64_t now);
    bool TakeCrcDamage();
    std::vector<uint8_t> StatusPacket();
    std::vector<uint8_t> SmartReply();
    void Log(const std::string& text) const;

    PrinterSettings m_settings;
    LogSink m_verbose;
    FaultState m_faults;
    PrinterCounters m_counters;
    TicketJob m_job;
    PacketFramer m_ventrixFramer;
    PacketFramer m_serialFramer;
    SmartPollScanner m_pollScanner;
    std::vector<uint8_t> m_unsolicited;  // waiting for the next Tick
    uint64_t m_nextPeriodic = 0;
};

}  // namespace kestrel
