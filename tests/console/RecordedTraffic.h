// The simulator's record file (--record), read back as the Ventrix packets it received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::testing {

// What the simulator's record file says it received, parsed into Ventrix packets.
struct RecordedPacket {
    std::vector<uint8_t> bytes;
    uint64_t ms = 0;  // when its first byte arrived, in the simulator's milliseconds
};
struct RecordedTraffic {
    std::vector<RecordedPacket> packets;
    std::vector<uint8_t> stray;  // received bytes that are not part of a packet
    size_t receivedBytes = 0;
    uint64_t lastReceivedMs = 0;  // when the last received bytes arrived
    int connections = 0;
};
RecordedTraffic ReadRecordedTraffic(const std::string& recordPath);

}  // namespace kestrel::testing
