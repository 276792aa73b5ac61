// The one observer of the recording point: every transmission and read of the session, with
// its time in microseconds, split into frames and handed to each sink (the packet view's rows,
// the session recording). A change of the printer mode is a row of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "commlog/TrafficObserver.h"
#include "packets/FrameSplitter.h"

namespace kestrel {

// Microseconds of a steady clock.
using MicrosecondClock = std::function<uint64_t()>;
uint64_t SteadyMicroseconds();

class SessionFrames : public TrafficObserver, private FrameSink {
  public:
    explicit SessionFrames(MicrosecondClock clock = SteadyMicroseconds);
    SessionFrames(const SessionFrames&) = delete;
    SessionFrames& operator=(const SessionFrames&) = delete;

    void AddSink(FrameSink& sink) { m_sinks.push_back(&sink); }
    void OnTraffic(const uint8_t* bytes, int count, int direction, int printerMode,
                   TrafficFraming framing) override;
    // Ends what has waited long enough; called a few times a second.
    void Tick();
    // The session ends: everything still held goes out.
    void Finish() { m_splitter.FlushAll(); }

    uint64_t SessionBytes() const { return m_sessionBytes; }
    // Microseconds since the session began.
    uint64_t Now();

  private:
    void OnFrame(const FrameView& frame) override;

    MicrosecondClock m_clock;
    uint64_t m_origin = 0;
    uint64_t m_lastTime = 0;
    FrameSplitter m_splitter{*this};
    std::vector<FrameSink*> m_sinks;
    uint64_t m_sessionBytes = 0;
    int m_printerMode = -1;  // none seen yet
};

}  // namespace kestrel
