// The session recording's file format: CSV text, one line per frame, read by a spreadsheet or a
// script as well as by playback.
//
//   # Kestrel session recording 1
//   # started 2025-05-01 14:03:22 +0200
//   # port COM3
//   time_us,direction,mode,kind,bytes,summary,session_byte,arrivals
//   1250,,Ventrix,Mode,,"Mode: Printer mode Ventrix",0,
//   1377,sent,Ventrix,Ventrix,02 12 05 C6 B1,"Ventrix len 5 seq 0 type 0x12 ...",0,
//
// time_us counts from the start of the session; direction is "sent" (to the printer),
// "received" or empty for a mode row; mode is the printer mode then; bytes are hexadecimal
// pairs; session_byte is the index of the frame's first byte in the whole session (both
// directions); arrivals lists the bytes that came later than the ones before them, as
// index/time_us/session_byte. Lines starting with "#" are comments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "packets/PacketFrame.h"

namespace kestrel {

inline constexpr std::string_view kRecordingMagic = "# Kestrel session recording 1";
inline constexpr std::string_view kRecordingColumns =
    "time_us,direction,mode,kind,bytes,summary,session_byte,arrivals";
inline constexpr std::string_view kRecordingStartedPrefix = "# started ";
inline constexpr std::string_view kRecordingPortPrefix = "# port ";
inline constexpr std::string_view kRecordingExtension = ".csv";

// The first lines of a recording.
std::string RecordingHeader(std::string_view started, std::string_view port);
// The comment line that names the port the traffic goes to from here on.
std::string RecordingPortLine(std::string_view port);
// Appends the frame's line, its summary included, to `out`.
void AppendRecordingLine(const FrameView& frame, std::string& out);

// A frame read back; its views point into it.
struct ParsedFrame {
    FrameView frame;
    std::vector<uint8_t> bytes;
    std::vector<ByteArrival> arrivals;
};

enum class RecordingLine { Frame, Comment, Damaged };
// Reads one line (without its line feed).
RecordingLine ParseRecordingLine(std::string_view line, ParsedFrame& parsed);

}  // namespace kestrel
