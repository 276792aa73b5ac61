#include "commlog/TrafficCapture.h"

#include <algorithm>
#include <iterator>

namespace kestrel {

void TrafficCapture::Clear() {
    std::fill(std::begin(m_traffic), std::end(m_traffic), TrafficRecord{});
    m_trafficCount = 0;
    ++m_generation;
}

void TrafficCapture::Record(uint8_t value, uint32_t tick, int direction) {
    m_traffic[m_trafficCount] = TrafficRecord{value, 0, tick, 0, direction, 0};
    ++m_trafficCount;
    if (m_trafficCount >= kTrafficResetCount) {
        Clear();
        m_trafficFirstShown = 0;
    }
}

}  // namespace kestrel
