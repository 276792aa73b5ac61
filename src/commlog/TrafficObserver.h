// What watches the recording point of the traffic: every transmission and every read, as the
// capture records it and whatever the capture then does with it, so views and recordings of a
// whole session lose nothing when the capture empties itself.
#pragma once

#include <cstdint>

namespace kestrel {

// How the bytes of a transmission were framed; what is received arrives unframed.
enum class TrafficFraming { None, Ventrix, SerialPacket };

class TrafficObserver {
  public:
    virtual ~TrafficObserver() = default;
    // `count` bytes just recorded with `direction` (TrafficSent or TrafficReceived), while the
    // printer mode was `printerMode`.
    virtual void OnTraffic(const uint8_t* bytes, int count, int direction, int printerMode,
                           TrafficFraming framing) = 0;
};

}  // namespace kestrel
