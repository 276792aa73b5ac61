#include "console/RecordedTraffic.h"

#include <fstream>
#include <sstream>

namespace kestrel::testing {
namespace {

struct ReceivedByte {
    uint8_t value = 0;
    uint64_t ms = 0;
};

// "12.345" as milliseconds.
uint64_t ParseMilliseconds(const std::string& seconds) {
    const size_t dot = seconds.find('.');
    if (dot == std::string::npos) {
        return std::stoull(seconds) * 1000;
    }
    return std::stoull(seconds.substr(0, dot)) * 1000 + std::stoull(seconds.substr(dot + 1));
}

}  // namespace

RecordedTraffic ReadRecordedTraffic(const std::string& recordPath) {
    RecordedTraffic traffic;
    std::vector<ReceivedByte> received;
    std::ifstream in(recordPath);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("#", 0) == 0) {
            traffic.connections += line.find(" connect ") != std::string::npos ? 1 : 0;
            continue;
        }
        std::istringstream fields(line);
        std::string seconds;
        std::string direction;
        fields >> seconds >> direction;
        if (direction != "rx") {
            continue;
        }
        const uint64_t ms = ParseMilliseconds(seconds);
        traffic.lastReceivedMs = ms;
        std::string hex;
        while (fields >> hex) {
            received.push_back({static_cast<uint8_t>(std::stoul(hex, nullptr, 16)), ms});
        }
    }
    traffic.receivedBytes = received.size();
    size_t at = 0;
    while (at < received.size()) {
        size_t length = 0;
        if (received[at].value == 0x02 && at + 1 < received.size()) {
            length = received[at + 1].value == 0x00
                         ? 2
                         : (at + 2 < received.size() ? received[at + 2].value : 0);
        }
        if (length < 2 || at + length > received.size()) {
            traffic.stray.push_back(received[at].value);
            ++at;
            continue;
        }
        RecordedPacket packet;
        packet.ms = received[at].ms;
        for (size_t i = 0; i < length; ++i) {
            packet.bytes.push_back(received[at + i].value);
        }
        traffic.packets.push_back(packet);
        at += length;
    }
    return traffic;
}

}  // namespace kestrel::testing
