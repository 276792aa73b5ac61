// The longest gap between calls of Tick, and when it ended: what the console harnesses read
// from a short probe timer on the console's own thread.
#pragma once

#include <QElapsedTimer>

namespace kestrel::bench {

class TickGapProbe {
  public:
    TickGapProbe() { m_clock.start(); }
    void Tick() {
        const qint64 now = m_clock.elapsed();
        if (m_last >= 0 && now - m_last > m_longest) {
            m_longest = now - m_last;
            m_longestEndedMs = now;
        }
        m_last = now;
    }
    qint64 Longest() const { return m_longest; }
    qint64 LongestEndedMs() const { return m_longestEndedMs; }
    qint64 NowMs() const { return m_clock.elapsed(); }

  private:
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    qint64 m_longest = 0;
    qint64 m_longestEndedMs = 0;
};

}  // namespace kestrel::bench
