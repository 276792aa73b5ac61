// Arbitrary received bytes: every reported length stays within the bytes given, a decoder loop
// over them always moves forward, and good packets round-trip through the builders.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace {

using kestrel::PacketScan;
using kestrel::PacketScanStatus;

void CheckScan(const PacketScan& scan, int available) {
    const bool consumes = scan.status == PacketScanStatus::NullPacket ||
                          scan.status == PacketScanStatus::Complete ||
                          scan.status == PacketScanStatus::Malformed;
    if (consumes != (scan.length > 0) || scan.length > available) {
        std::abort();
    }
    if (scan.status == PacketScanStatus::Complete &&
        (scan.payloadOffset + scan.payloadSize > scan.length || scan.payloadSize < 0)) {
        std::abort();
    }
}

// Walks the bytes as a decoder would, skipping one byte where no packet starts.
template <typename Scanner>
void Walk(const std::vector<uint8_t>& bytes, Scanner scanner) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        const int available = static_cast<int>(bytes.size() - pos);
        const PacketScan scan = scanner(bytes.data() + pos, available);
        CheckScan(scan, available);
        if (scan.status == PacketScanStatus::NeedMore) {
            break;
        }
        pos += scan.length > 0 ? static_cast<size_t>(scan.length) : 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so any read past the end is caught.
    const std::vector<uint8_t> bytes(data, data + size);
    Walk(bytes, kestrel::ScanVentrixPacket);
    Walk(bytes, kestrel::ScanSerialPacket);

    if (size > 0) {
        const std::vector<uint8_t> payload(bytes.begin() + 1, bytes.end());
        const auto ventrix = kestrel::BuildVentrixPacket(bytes[0], payload);
        if (!ventrix.empty() && bytes[0] != 0) {
            const PacketScan scan =
                kestrel::ScanVentrixPacket(ventrix.data(), static_cast<int>(ventrix.size()));
            if (scan.status != PacketScanStatus::Complete || !scan.crcMatches ||
                scan.length != static_cast<int>(ventrix.size())) {
                std::abort();
            }
        }
        const auto serial = kestrel::BuildSerialPacket(bytes[0], payload);
        const PacketScan scan =
            kestrel::ScanSerialPacket(serial.data(), static_cast<int>(serial.size()));
        if (scan.status != PacketScanStatus::Complete || !scan.crcMatches ||
            scan.sequence != bytes[0]) {
            std::abort();
        }
    }
    return 0;
}
