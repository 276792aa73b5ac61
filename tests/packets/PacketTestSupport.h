// Shared by the packet tests: a clock the test moves, the rows of a store as short texts, and
// the printer's status packets built from the status bit table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commlog/TrafficCapture.h"
#include "packets/FrameFacts.h"
#include "packets/PacketStore.h"
#include "packets/SessionFrames.h"
#include "status/StatusBitTable.h"
#include "status/VentrixPacket.h"

namespace kestrel::testing {

struct ManualClock {
    uint64_t now = 0;
    MicrosecondClock Function() {
        return [this] { return now; };
    }
};

// "R Ventrix: Status: Paper Jam" for a received row; S for sent, M for a mode row.
inline std::string RowText(const PacketStore& store, size_t row) {
    const PacketRow& r = store.Row(row);
    const char* direction = r.direction == TrafficSent       ? "S"
                            : r.direction == TrafficReceived ? "R"
                                                             : "M";
    const FrameFacts facts = DescribeFrame(r.kind, r.direction, store.Bytes(row), r.printerMode);
    return std::string(direction) + " " + FrameKindName(r.kind) + ": " + facts.meaning;
}

inline std::vector<std::string> RowTexts(const PacketStore& store) {
    std::vector<std::string> texts;
    for (size_t row = 0; row < store.RowCount(); ++row) {
        texts.push_back(RowText(store, row));
    }
    return texts;
}

// A status packet whose conditions are the table rows of the given check boxes.
inline std::vector<uint8_t> StatusPacket(const std::vector<int>& checkBoxes) {
    std::vector<uint8_t> payload = {'A', '|', 'B', '|', 'C', '|'};
    std::vector<uint8_t> status(kStatusByteCount * kStatusByteSpacing, 0);
    for (const StatusBitRow& row : kStatusBitTable) {
        for (const int id : checkBoxes) {
            if (row.checkBoxId == id) {
                status[static_cast<size_t>(row.byteIndex * kStatusByteSpacing)] |= row.mask;
            }
        }
    }
    payload.insert(payload.end(), status.begin(), status.end());
    return BuildVentrixPacket(kStatusPacketType, payload);
}

}  // namespace kestrel::testing
