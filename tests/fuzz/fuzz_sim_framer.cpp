// Any bytes from the console, in any dialect, cut into reads of any size: the simulator's
// framers stay bounded, and every Ventrix reply is a whole packet with a good CRC.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "sim/SimPrinter.h"
#include "status/VentrixPacket.h"

namespace {

using kestrel::PacketScan;
using kestrel::PacketScanStatus;
using kestrel::PrinterMode;

void CheckVentrixReply(const std::vector<uint8_t>& reply) {
    size_t at = 0;
    while (at < reply.size()) {
        const PacketScan scan =
            kestrel::ScanVentrixPacket(reply.data() + at, static_cast<int>(reply.size() - at));
        const bool whole = scan.status == PacketScanStatus::NullPacket ||
                           (scan.status == PacketScanStatus::Complete && scan.crcMatches);
        if (!whole) {
            std::abort();
        }
        at += static_cast<size_t>(scan.length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const PrinterMode modes[] = {PrinterMode::Ventrix, PrinterMode::SerialPacket,
                                 PrinterMode::Smart, PrinterMode::Normal};
    const PrinterMode mode = modes[data[0] % 4];
    kestrel::SimPrinter printer(kestrel::PrinterSettings{mode, 5, 0});
    std::span<const uint8_t> rest(data + 1, size - 1);
    uint64_t now = 0;
    while (!rest.empty()) {
        // Each read's length and the time that passes come from the input too.
        const size_t take = std::min<size_t>(rest.size(), 1 + rest[0] % 64);
        now += rest[0] % 7;
        const std::vector<uint8_t> reply = printer.Receive(rest.first(take), now);
        const std::vector<uint8_t> unasked = printer.Tick(now + 1000);
        if (printer.BufferedInput() > kestrel::kSimMaxBufferedInput) {
            std::abort();
        }
        if (mode == PrinterMode::Ventrix) {
            CheckVentrixReply(reply);
            CheckVentrixReply(unasked);
        }
        rest = rest.subspan(take);
    }
    return 0;
}
