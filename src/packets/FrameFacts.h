// What the packet view and the recording say about a frame, read by the decoders and tables of
// the console's own status decoding: length, sequence, type or code, the CRC as carried and as
// computed, and what the frame means.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "packets/PacketFrame.h"

namespace kestrel {

struct FrameFacts {
    int length = 0;
    std::optional<int> sequence;
    std::optional<int> type;  // Ventrix type, or the Smart record's code
    std::optional<uint16_t> packetCrc;
    std::optional<uint16_t> computedCrc;
    bool crcMismatch = false;
    std::string meaning;
};

// `printerMode` is read for mode rows only.
FrameFacts DescribeFrame(FrameKind kind, int direction, std::span<const uint8_t> bytes,
                         int printerMode);
// All of it on one line, as the recording's summary column and a copied row carry it.
std::string FrameSummary(FrameKind kind, const FrameFacts& facts);

// The name the view and the recording give a kind ("Ventrix", "Serial", "Smart", "Bytes",
// "Mode"), and back; nullopt for a name no kind has.
const char* FrameKindName(FrameKind kind);
std::optional<FrameKind> FrameKindNamed(std::string_view name);
// The name of a printer mode as a mode row gives it ("None", "Smart", "Normal", "Ventrix",
// "SerialPacket"), and back.
const char* PrinterModeName(int printerMode);
std::optional<int> PrinterModeNamed(std::string_view name);

// Bytes as readable text: printable ASCII as it is, control bytes by name in brackets, others
// as <0xHH>; cut at about `maxChars` with "...".
std::string BytesAsText(std::span<const uint8_t> bytes, size_t maxChars);

}  // namespace kestrel
