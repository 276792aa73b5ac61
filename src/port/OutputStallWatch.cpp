#include "port/OutputStallWatch.h"

#include <algorithm>

namespace kestrel {

void OutputStallWatch::Restart() {
    *this = OutputStallWatch{};
}

bool OutputStallWatch::Stalled(int queued, uint32_t nowMs, uint32_t limitMs) {
    if (queued < 0) {
        return false;
    }
    const uint64_t waiting = std::min<uint64_t>(static_cast<uint64_t>(queued), m_accepted);
    const uint64_t left = m_accepted - waiting;
    if (waiting == 0) {
        m_waiting = false;
        m_left = left;
        return false;
    }
    if (!m_waiting || left > m_left) {
        m_waiting = true;
        m_waitingSinceMs = nowMs;
        m_left = std::max(left, m_left);
        return false;
    }
    return nowMs - m_waitingSinceMs >= limitMs;  // unsigned: right across the tick count's wrap
}

}  // namespace kestrel
