// Splits each direction's bytes into frames as they arrive: Ventrix or serial packets, Smart
// records, and runs of bytes that belong to no frame. A run ends where a frame starts, when the
// other direction speaks, after kFrameRunIdleUs of quiet or at kFrameRunMaxBytes; a frame still
// incomplete after kFrameIncompleteIdleUs goes out as bytes, so nothing waits for ever.
#pragma once

#include <cstdint>
#include <vector>

#include "commlog/TrafficCapture.h"
#include "packets/PacketFrame.h"

namespace kestrel {

inline constexpr uint64_t kFrameRunIdleUs = 20000;
inline constexpr uint64_t kFrameIncompleteIdleUs = 1000000;
inline constexpr size_t kFrameRunMaxBytes = 64;
// Bytes of one frame that come within this of the first keep its time.
inline constexpr uint64_t kFrameArrivalJoinUs = 1000;

class FrameSplitter {
  public:
    explicit FrameSplitter(FrameSink& sink) : m_sink(sink) {}

    // Bytes of `direction` (TrafficSent or TrafficReceived) at `timeUs`, the first of them the
    // session's byte `sessionByte`; `framing` says which frames to look for (Bytes: none).
    void Feed(const uint8_t* bytes, size_t count, int direction, FrameKind framing, uint64_t timeUs,
              uint64_t sessionByte);
    // Ends runs and gives up incomplete frames that have waited long enough by `nowUs`.
    void FlushIdle(uint64_t nowUs);
    // Everything still held goes out, incomplete frames as bytes.
    void FlushAll();

  private:
    struct Pending {
        FrameKind framing = FrameKind::Bytes;
        std::vector<uint8_t> bytes;
        std::vector<uint64_t> times;
        std::vector<uint64_t> sessionBytes;
        size_t rawRun = 0;  // leading bytes known to belong to no frame
    };
    Pending& Of(int direction) { return m_pending[direction == TrafficSent ? 0 : 1]; }
    void Split(Pending& pending, int direction);
    void Emit(Pending& pending, int direction, size_t count, FrameKind kind);
    void EmitRawRun(Pending& pending, int direction);
    void EmitEverything(Pending& pending, int direction);

    FrameSink& m_sink;
    Pending m_pending[2];
    std::vector<ByteArrival> m_arrivals;
};

}  // namespace kestrel
