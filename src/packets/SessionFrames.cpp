#include "packets/SessionFrames.h"

#include <chrono>

#include "commlog/TrafficCapture.h"
#include "status/PrinterMode.h"

namespace kestrel {
namespace {

// What the console's decoding looks for in what arrives, by printer mode.
FrameKind ReceivedFraming(int printerMode) {
    switch (static_cast<PrinterMode>(printerMode)) {
        case PrinterMode::Ventrix:
            return FrameKind::Ventrix;
        case PrinterMode::Smart:
            return FrameKind::Smart;
        case PrinterMode::SerialPacket:
            return FrameKind::SerialPacket;
        case PrinterMode::None:
        case PrinterMode::Normal:
            break;
    }
    return FrameKind::Bytes;
}

FrameKind SentFraming(TrafficFraming framing) {
    switch (framing) {
        case TrafficFraming::Ventrix:
            return FrameKind::Ventrix;
        case TrafficFraming::SerialPacket:
            return FrameKind::SerialPacket;
        case TrafficFraming::None:
            break;
    }
    return FrameKind::Bytes;
}

}  // namespace

uint64_t SteadyMicroseconds() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

SessionFrames::SessionFrames(MicrosecondClock clock)
    : m_clock(std::move(clock)), m_origin(m_clock()) {}

uint64_t SessionFrames::Now() {
    const uint64_t now = m_clock();
    const uint64_t sinceStart = now > m_origin ? now - m_origin : 0;
    m_lastTime = std::max(m_lastTime, sinceStart);
    return m_lastTime;
}

void SessionFrames::OnTraffic(const uint8_t* bytes, int count, int direction, int printerMode,
                              TrafficFraming framing) {
    if (count <= 0 || (direction != TrafficSent && direction != TrafficReceived)) {
        return;
    }
    const uint64_t now = Now();
    if (printerMode != m_printerMode) {
        m_splitter.FlushAll();
        m_printerMode = printerMode;
        FrameView mode;
        mode.timeUs = now;
        mode.sessionByte = m_sessionBytes;
        mode.kind = FrameKind::Mode;
        mode.printerMode = printerMode;
        OnFrame(mode);
    }
    const FrameKind kind =
        direction == TrafficSent ? SentFraming(framing) : ReceivedFraming(printerMode);
    m_splitter.Feed(bytes, static_cast<size_t>(count), direction, kind, now, m_sessionBytes);
    m_sessionBytes += static_cast<uint64_t>(count);
}

void SessionFrames::Tick() {
    m_splitter.FlushIdle(Now());
}

void SessionFrames::OnFrame(const FrameView& frame) {
    FrameView stamped = frame;
    if (stamped.kind != FrameKind::Mode) {
        stamped.printerMode = m_printerMode;
    }
    for (FrameSink* sink : m_sinks) {
        sink->OnFrame(stamped);
    }
}

}  // namespace kestrel
