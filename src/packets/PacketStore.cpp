#include "packets/PacketStore.h"

#include <algorithm>

#include "commlog/TrafficCapture.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {

bool FrameCrcMismatch(FrameKind kind, std::span<const uint8_t> bytes) {
    const int size = static_cast<int>(bytes.size());
    PacketScan scan;
    if (kind == FrameKind::Ventrix) {
        scan = ScanVentrixPacket(bytes.data(), size);
    } else if (kind == FrameKind::SerialPacket) {
        scan = ScanSerialPacket(bytes.data(), size);
    }
    return scan.status == PacketScanStatus::Complete && !scan.crcMatches;
}

void PacketStore::OnFrame(const FrameView& frame) {
    PacketRow row;
    row.timeUs = frame.timeUs;
    row.sessionByte = frame.sessionByte;
    row.dataOffset = m_bytes.size();
    row.size = static_cast<uint32_t>(frame.bytes.size());
    row.firstArrival = static_cast<uint32_t>(m_arrivals.size());
    row.direction = static_cast<uint8_t>(frame.direction);
    row.kind = frame.kind;
    row.printerMode = static_cast<uint8_t>(frame.printerMode);
    row.crcMismatch = FrameCrcMismatch(frame.kind, frame.bytes);
    m_bytes.insert(m_bytes.end(), frame.bytes.begin(), frame.bytes.end());
    m_arrivals.insert(m_arrivals.end(), frame.arrivals.begin(), frame.arrivals.end());
    m_rows.push_back(row);
}

std::span<const uint8_t> PacketStore::Bytes(size_t row) const {
    const PacketRow& r = m_rows[row];
    return std::span<const uint8_t>(m_bytes.data() + r.dataOffset, r.size);
}

std::span<const ByteArrival> PacketStore::Arrivals(size_t row) const {
    const uint32_t begin = m_rows[row].firstArrival;
    const auto end = row + 1 < m_rows.size() ? m_rows[row + 1].firstArrival
                                             : static_cast<uint32_t>(m_arrivals.size());
    return std::span<const ByteArrival>(m_arrivals.data() + begin, end - begin);
}

FrameView PacketStore::View(size_t row) const {
    const PacketRow& r = m_rows[row];
    FrameView frame;
    frame.timeUs = r.timeUs;
    frame.sessionByte = r.sessionByte;
    frame.direction = r.direction;
    frame.kind = r.kind;
    frame.printerMode = r.printerMode;
    frame.bytes = Bytes(row);
    frame.arrivals = Arrivals(row);
    return frame;
}

uint64_t PacketStore::LastSessionByte(size_t row) const {
    const PacketRow& r = m_rows[row];
    if (r.size == 0) {
        return r.sessionByte;
    }
    const auto arrivals = Arrivals(row);
    if (arrivals.empty()) {
        return r.sessionByte + r.size - 1;
    }
    const ByteArrival& last = arrivals.back();
    return last.sessionByte + (r.size - 1 - last.index);
}

void PacketStore::DropOldest(size_t count) {
    count = std::min(count, m_rows.size());
    if (count == 0) {
        return;
    }
    const uint64_t bytes = count < m_rows.size() ? m_rows[count].dataOffset : m_bytes.size();
    const uint32_t arrivals = count < m_rows.size() ? m_rows[count].firstArrival
                                                    : static_cast<uint32_t>(m_arrivals.size());
    m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<std::ptrdiff_t>(count));
    m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(bytes));
    m_arrivals.erase(m_arrivals.begin(), m_arrivals.begin() + arrivals);
    for (PacketRow& row : m_rows) {
        row.dataOffset -= bytes;
        row.firstArrival -= arrivals;
    }
    m_dropped += count;
}

void PacketStore::Reserve(size_t rows, size_t bytes) {
    m_rows.reserve(rows);
    m_bytes.reserve(bytes);
}

bool PacketFilter::AcceptsAll() const {
    return sent && received && std::all_of(kinds.begin(), kinds.end(), [](bool k) { return k; });
}

bool PacketFilter::Accepts(const PacketRow& row) const {
    if (!kinds[static_cast<size_t>(row.kind)]) {
        return false;
    }
    return row.kind == FrameKind::Mode || (row.direction == TrafficSent ? sent : received);
}

}  // namespace kestrel
