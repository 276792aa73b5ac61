// The frames of a session, held compactly for a view of a million rows or more: fixed-size rows,
// all bytes in one arena, the rare late arrivals on the side. Filled as a FrameSink, live or
// from a recording.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "packets/PacketFrame.h"

namespace kestrel {

struct PacketRow {
    uint64_t timeUs = 0;
    uint64_t sessionByte = 0;
    uint64_t dataOffset = 0;
    uint32_t size = 0;
    uint32_t firstArrival = 0;  // its arrivals run up to the next row's first
    uint8_t direction = 0;
    FrameKind kind = FrameKind::Bytes;
    uint8_t printerMode = 0;
    bool crcMismatch = false;
};

class PacketStore : public FrameSink {
  public:
    void OnFrame(const FrameView& frame) override;

    size_t RowCount() const { return m_rows.size(); }
    const PacketRow& Row(size_t row) const { return m_rows[row]; }
    std::span<const uint8_t> Bytes(size_t row) const;
    std::span<const ByteArrival> Arrivals(size_t row) const;
    FrameView View(size_t row) const;
    // The session byte index of the row's last byte (its first for a row without bytes).
    uint64_t LastSessionByte(size_t row) const;
    // Rows taken in so far, dropped ones included: a view counts its rows from here.
    uint64_t RowsDropped() const { return m_dropped; }
    // Drops the oldest `count` rows and their bytes.
    void DropOldest(size_t count);
    void Reserve(size_t rows, size_t bytes);

  private:
    std::vector<PacketRow> m_rows;
    std::vector<uint8_t> m_bytes;
    std::vector<ByteArrival> m_arrivals;
    uint64_t m_dropped = 0;
};

// Which rows a view shows: by direction and by kind. Mode rows have no direction and follow
// their kind alone.
struct PacketFilter {
    bool sent = true;
    bool received = true;
    std::array<bool, kFrameKindCount> kinds{true, true, true, true, true};

    bool AcceptsAll() const;
    bool Accepts(const PacketRow& row) const;
};

// Whether a frame's CRC, where it has one, disagrees with the one computed over it.
bool FrameCrcMismatch(FrameKind kind, std::span<const uint8_t> bytes);

}  // namespace kestrel
