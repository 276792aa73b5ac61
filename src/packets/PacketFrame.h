// One frame of a session: a Ventrix or serial packet, a Smart record, a run of bytes that belong
// to no frame, or a change of the printer mode, with when it came and where its bytes stand in
// the session's whole traffic of both directions.
#pragma once

#include <cstdint>
#include <span>

namespace kestrel {

enum class FrameKind : uint8_t { Ventrix, SerialPacket, Smart, Bytes, Mode };
inline constexpr int kFrameKindCount = 5;

// Direction of a mode row, which carries no bytes.
inline constexpr int kNoDirection = 0;

// A byte of a frame that came later than the bytes before it, or after bytes of the other
// direction: from it on, the frame's bytes have this time and session byte index.
struct ByteArrival {
    uint32_t index = 0;  // within the frame
    uint64_t timeUs = 0;
    uint64_t sessionByte = 0;
};

struct FrameView {
    uint64_t timeUs = 0;       // of its first byte, from the start of the session
    uint64_t sessionByte = 0;  // session-wide index of its first byte (the next one for a mode row)
    int direction = kNoDirection;
    FrameKind kind = FrameKind::Bytes;
    int printerMode = 0;  // for a mode row, the new mode
    std::span<const uint8_t> bytes;
    std::span<const ByteArrival> arrivals;
};

class FrameSink {
  public:
    virtual ~FrameSink() = default;
    virtual void OnFrame(const FrameView& frame) = 0;
};

}  // namespace kestrel
