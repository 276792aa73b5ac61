// The one record of all traffic: every byte sent to or received from the printer, with its
// time and direction. The communication log is drawn from it.
#pragma once

#include <cstdint>

namespace kestrel {

inline constexpr int kTrafficCapacity = 15000;
// Recording the byte that makes the count reach this empties the whole capture.
inline constexpr int kTrafficResetCount = 14998;

enum TrafficDirection { TrafficSent = 1, TrafficReceived = 2 };

struct TrafficRecord {
    int value;          // 0 to 255
    int reserved1;      // always 0
    uint32_t tick;      // GetTickCount milliseconds
    uint32_t tickHigh;  // always 0
    int direction;      // TrafficSent or TrafficReceived
    int reserved2;      // always 0
};

struct TrafficCapture {
    TrafficRecord m_traffic[kTrafficCapacity]{};
    int m_trafficCount = 0;
    int m_trafficFirstShown = 0;
    // Counts the times the capture was emptied, so a rendering knows its records are still there.
    uint32_t m_generation = 0;

    // Zeroes every record; m_trafficFirstShown is left as it is.
    void Clear();
    // Appends one record; the record that makes the count reach kTrafficResetCount empties
    // the capture and is lost with the others.
    void Record(uint8_t value, uint32_t tick, int direction);
};

}  // namespace kestrel
