#include "packets/PlaybackTimeline.h"

#include <algorithm>

#include "status/SmartRecordTable.h"
#include "status/StatusBitTable.h"
#include "status/StatusPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

// A received Ventrix packet sets the status boxes when the decoder would show it: a good CRC,
// the status type and status bytes within it.
bool SetsVentrixStatus(std::span<const uint8_t> bytes) {
    const PacketScan scan = ScanVentrixPacket(bytes.data(), static_cast<int>(bytes.size()));
    return scan.status == PacketScanStatus::Complete && scan.crcMatches &&
           scan.type == kStatusPacketType && ReadStatusBytes(bytes.data(), scan.length);
}

// The part of the Smart display a whole received record sets, if any.
int64_t* SmartSlot(std::span<const uint8_t> bytes, StatusRows& rows) {
    const SmartRecord record = SmartRecordFor(bytes[0]);
    if (bytes.size() < static_cast<size_t>(record.length)) {
        return nullptr;
    }
    switch (record.action) {
        case SmartRecordAction::StatusBits:
            return &rows.smartStatus;
        case SmartRecordAction::Percent:
            return &rows.smartPercent;
        case SmartRecordAction::Text:
            return record.controlId == kSmartInfoLine1Id   ? &rows.smartInfoLine1
                   : record.controlId == kSmartInfoLine2Id ? &rows.smartInfoLine2
                                                           : &rows.smartState;
        case SmartRecordAction::AppendValue:
        case SmartRecordAction::Skip:
            break;
    }
    return nullptr;
}

}  // namespace

PlaybackTimeline::PlaybackTimeline(const PacketStore& store) : m_store(store) {
    const size_t rows = store.RowCount();
    m_pieces.reserve(rows);
    m_rowSnapshot.resize(rows);
    StatusRows current;
    m_snapshots.push_back(current);
    for (size_t r = 0; r < rows; ++r) {
        const PacketRow& row = store.Row(r);
        const auto bytes = store.Bytes(r);
        uint32_t offset = 0;
        uint64_t sessionByte = row.sessionByte;
        uint64_t time = row.timeUs;
        for (const ByteArrival& arrival : store.Arrivals(r)) {
            m_pieces.push_back(
                Piece{sessionByte, time, static_cast<uint32_t>(r), offset, arrival.index - offset});
            offset = arrival.index;
            sessionByte = arrival.sessionByte;
            time = arrival.timeUs;
        }
        if (offset < row.size) {
            m_pieces.push_back(
                Piece{sessionByte, time, static_cast<uint32_t>(r), offset, row.size - offset});
        }

        StatusRows next = current;
        if (row.kind == FrameKind::Mode) {
            next.printerMode = row.printerMode;
        } else if (row.direction == TrafficReceived && row.kind == FrameKind::Ventrix &&
                   SetsVentrixStatus(bytes)) {
            next.ventrixStatus = static_cast<int64_t>(r);
        } else if (row.direction == TrafficReceived && row.kind == FrameKind::Smart) {
            if (int64_t* slot = SmartSlot(bytes, next)) {
                *slot = static_cast<int64_t>(r);
            }
        }
        if (!(next == current)) {
            current = next;
            m_snapshots.push_back(current);
        }
        m_rowSnapshot[r] = static_cast<uint32_t>(m_snapshots.size() - 1);
    }
    std::stable_sort(m_pieces.begin(), m_pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.sessionByte < b.sessionByte; });
}

uint64_t PlaybackTimeline::CaptureStart(uint64_t end) {
    // The record that makes the count reach kTrafficResetCount empties the capture with it.
    return end - end % static_cast<uint64_t>(kTrafficResetCount);
}

uint64_t PlaybackTimeline::CaptureEnd(size_t row) const {
    const PacketRow& r = m_store.Row(row);
    return r.size == 0 ? r.sessionByte : m_store.LastSessionByte(row) + 1;
}

void PlaybackTimeline::CaptureAt(size_t row, TrafficCapture& capture) const {
    capture.Clear();
    capture.m_trafficFirstShown = 0;
    const uint64_t end = CaptureEnd(row);
    const uint64_t start = CaptureStart(end);
    auto piece = std::upper_bound(m_pieces.begin(), m_pieces.end(), start,
                                  [](uint64_t at, const Piece& p) { return at < p.sessionByte; });
    if (piece != m_pieces.begin()) {
        --piece;
    }
    for (; piece != m_pieces.end() && piece->sessionByte < end; ++piece) {
        const PacketRow& owner = m_store.Row(piece->row);
        const auto bytes = m_store.Bytes(piece->row);
        const auto tick = static_cast<uint32_t>(piece->timeUs / 1000);
        for (uint32_t i = 0; i < piece->length; ++i) {
            const uint64_t at = piece->sessionByte + i;
            if (at >= start && at < end && capture.m_trafficCount < kTrafficResetCount - 1) {
                capture.Record(bytes[piece->offset + i], tick, owner.direction);
            }
        }
    }
}

int PlaybackTimeline::CaptureIndexOf(size_t row, uint64_t sessionByte) const {
    const uint64_t end = CaptureEnd(row);
    const uint64_t start = CaptureStart(end);
    return sessionByte >= start && sessionByte < end ? static_cast<int>(sessionByte - start) : -1;
}

}  // namespace kestrel
