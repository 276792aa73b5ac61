// A recorded session laid out for stepping through it: where every byte stands in the whole
// session, so the console's capture can be rebuilt as it stood after any row, and which earlier
// rows the status display was last decoded from at each row.
#pragma once

#include <cstdint>
#include <vector>

#include "commlog/TrafficCapture.h"
#include "packets/PacketStore.h"

namespace kestrel {

// The rows whose decoding left the status display as it stood; -1 where no row did yet.
struct StatusRows {
    int64_t ventrixStatus = -1;
    int64_t smartStatus = -1;
    int64_t smartInfoLine1 = -1;
    int64_t smartInfoLine2 = -1;
    int64_t smartState = -1;
    int64_t smartPercent = -1;
    int printerMode = 0;
    bool operator==(const StatusRows&) const = default;
};

class PlaybackTimeline {
  public:
    explicit PlaybackTimeline(const PacketStore& store);

    // Fills `capture` as the console's capture held it once the last byte of `row` was
    // recorded: it empties itself at its 14,998th record, so it holds the bytes since the last
    // such point.
    void CaptureAt(size_t row, TrafficCapture& capture) const;
    // The capture record that holds session byte `sessionByte` after CaptureAt(row), or -1.
    int CaptureIndexOf(size_t row, uint64_t sessionByte) const;
    StatusRows StatusAt(size_t row) const { return m_snapshots[m_rowSnapshot[row]]; }

  private:
    struct Piece {
        uint64_t sessionByte;
        uint64_t timeUs;
        uint32_t row;
        uint32_t offset;
        uint32_t length;
    };
    // The session byte at which the capture last emptied itself before `end`.
    static uint64_t CaptureStart(uint64_t end);
    uint64_t CaptureEnd(size_t row) const;

    const PacketStore& m_store;
    std::vector<Piece> m_pieces;  // by session byte
    std::vector<StatusRows> m_snapshots;
    std::vector<uint32_t> m_rowSnapshot;
};

}  // namespace kestrel
