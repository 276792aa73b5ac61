#include "sim/PacketFramer.h"

#include <algorithm>

namespace kestrel {

PacketFramer::PacketFramer(PacketScanner scanner, uint8_t startByte, FramerLimits limits)
    : m_scanner(scanner), m_startByte(startByte), m_limits(limits) {
    m_buffer.reserve(static_cast<size_t>(m_limits.maxFrameBytes));
}

void PacketFramer::Push(std::span<const uint8_t> bytes, uint64_t now,
                        const PacketHandler& handler) {
    // Take the bytes in slices, so the buffer stays bounded whatever arrives at once.
    const size_t slice = static_cast<size_t>(m_limits.maxFrameBytes);
    while (!bytes.empty()) {
        const size_t take = std::min(slice, bytes.size());
        if (m_buffer.empty()) {
            m_frameStarted = now;
        }
        m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.begin() + static_cast<long>(take));
        bytes = bytes.subspan(take);
        Drain(now, handler);
    }
}

void PacketFramer::Expire(uint64_t now, const PacketHandler& handler) {
    if (!m_buffer.empty() && now - m_frameStarted >= m_limits.staleMilliseconds) {
        AbandonFrame();
        Drain(now, handler);
    }
}

uint64_t PacketFramer::NextDeadline() const {
    return m_buffer.empty() ? 0 : m_frameStarted + m_limits.staleMilliseconds;
}

void PacketFramer::Reset() {
    m_buffer.clear();
}

void PacketFramer::AbandonFrame() {
    // Drop the start byte only: a packet may begin inside the abandoned one.
    m_buffer.erase(m_buffer.begin());
    ++m_counters.abandoned;
}

void PacketFramer::Drain(uint64_t now, const PacketHandler& handler) {
    size_t pos = 0;
    bool frameMoved = false;
    while (pos < m_buffer.size()) {
        const int available = static_cast<int>(m_buffer.size() - pos);
        const PacketScan scan = m_scanner(m_buffer.data() + pos, available);
        switch (scan.status) {
            case PacketScanStatus::NotStart: {
                const auto next = std::find(m_buffer.begin() + static_cast<long>(pos) + 1,
                                            m_buffer.end(), m_startByte);
                const size_t nextPos = static_cast<size_t>(next - m_buffer.begin());
                m_counters.skippedBytes += nextPos - pos;
                pos = nextPos;
                frameMoved = true;
                continue;
            }
            case PacketScanStatus::NeedMore:
                if (available >= m_limits.maxFrameBytes) {
                    ++m_counters.abandoned;
                    pos += 1;
                    frameMoved = true;
                    continue;
                }
                break;
            case PacketScanStatus::Malformed:
                ++m_counters.malformed;
                pos += static_cast<size_t>(std::max(scan.length, 1));
                frameMoved = true;
                continue;
            case PacketScanStatus::NullPacket:
            case PacketScanStatus::Complete: {
                const size_t length = static_cast<size_t>(std::max(scan.length, 1));
                handler(scan, std::span<const uint8_t>(m_buffer.data() + pos, length));
                pos += length;
                frameMoved = true;
                continue;
            }
        }
        break;
    }
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<long>(pos));
    if (frameMoved) {
        m_frameStarted = now;
    }
}

}  // namespace kestrel
