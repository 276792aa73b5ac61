#include "status/VentrixStatusDecoder.h"

#include <cstdio>
#include <cstring>

#include "status/StatusBitTable.h"
#include "status/StatusPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

void LogWithPaneText(StatusLog& log, const std::string& text) {
    log.WriteAppLog(text);
    log.WriteAppLog(log.CommLogText());
}

void ReportCrcError(const PacketScan& scan, StatusLog& log) {
    char text[64];
    std::snprintf(text, sizeof text, "CRC error Printer: %x vs calculated %x",
                  static_cast<unsigned>(scan.packetCrc), static_cast<unsigned>(scan.computedCrc));
    LogWithPaneText(log, text);
}

void ShowStatusBits(const StatusBytes& status, DialogHost& host, StatusLog& log,
                    int& printerInError) {
    for (const StatusBitRow& row : kStatusBitTable) {
        const bool set = StatusBitSet(status, row);
        host.CheckButton(row.checkBoxId, set ? 1 : 0);
        if (!set) {
            continue;
        }
        if (row.setsError) {
            printerInError = 1;
        }
        if (row.logged) {
            LogWithPaneText(log, row.controlName);
        }
    }
}

}  // namespace

int DecodeVentrixStatus(const uint8_t* bytes, int available, DialogHost& host, StatusLog& log,
                        int& printerInError) {
    const PacketScan scan = ScanVentrixPacket(bytes, available);
    switch (scan.status) {
        case PacketScanStatus::NotStart: {
            // Noise on the line: skipped up to the next start byte in one pass, or decoding
            // would stay stuck on it for as long as the printer keeps talking.
            const void* next =
                std::memchr(bytes + 1, kVentrixStartByte, static_cast<size_t>(available - 1));
            return next != nullptr ? static_cast<int>(static_cast<const uint8_t*>(next) - bytes)
                                   : available;
        }
        case PacketScanStatus::NeedMore:
            return 0;
        case PacketScanStatus::NullPacket:
        case PacketScanStatus::Malformed:
            return scan.length;
        case PacketScanStatus::Complete:
            break;
    }
    if (!scan.crcMatches) {
        printerInError = 1;
        ReportCrcError(scan, log);
        return scan.length;
    }
    printerInError = 0;
    if (scan.type != kStatusPacketType) {
        return scan.length;
    }
    // A status packet too short for its status bytes is taken as a good packet of no status.
    if (const auto status = ReadStatusBytes(bytes, scan.length)) {
        ShowStatusBits(*status, host, log, printerInError);
    }
    return scan.length;
}

}  // namespace kestrel
