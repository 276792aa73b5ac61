// Cuts a stream of received bytes into packets. The stream may hold anything: bytes before a start
// byte are skipped, a header too short to be a packet is dropped, and a packet that never
// completes is given up after a while, so the framer always finds the next good packet.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "status/PacketScan.h"

namespace kestrel {

// Reads the packet at the start of some bytes (ScanVentrixPacket, ScanSerialPacket).
using PacketScanner = PacketScan (*)(const uint8_t* bytes, int available);

struct FramerLimits {
    int maxFrameBytes;           // a frame that would grow past this is not waited for
    uint64_t staleMilliseconds;  // how long an incomplete frame may wait for its rest
};

struct FramerCounters {
    uint64_t skippedBytes = 0;  // bytes outside any packet
    uint64_t malformed = 0;     // headers that could not start a packet
    uint64_t abandoned = 0;     // incomplete frames given up (too long or stale)
};

class PacketFramer {
  public:
    // Called with each NullPacket or Complete scan and the packet's bytes.
    using PacketHandler = std::function<void(const PacketScan&, std::span<const uint8_t>)>;

    PacketFramer(PacketScanner scanner, uint8_t startByte, FramerLimits limits);

    // Takes received bytes at time `now` (milliseconds) and reports every packet they complete.
    void Push(std::span<const uint8_t> bytes, uint64_t now, const PacketHandler& handler);
    // Gives up an incomplete frame that has waited too long; reports packets found behind it.
    void Expire(uint64_t now, const PacketHandler& handler);
    // When Expire has work to do; 0 when nothing is waiting.
    uint64_t NextDeadline() const;
    void Reset();

    size_t Buffered() const { return m_buffer.size(); }
    const FramerCounters& Counters() const { return m_counters; }

  private:
    void Drain(uint64_t now, const PacketHandler& handler);
    void AbandonFrame();

    PacketScanner m_scanner;
    uint8_t m_startByte;
    FramerLimits m_limits;
    std::vector<uint8_t> m_buffer;  // never more than maxFrameBytes between calls
    uint64_t m_frameStarted = 0;    // when the start byte at the front arrived
    FramerCounters m_counters;
};

}  // namespace kestrel
