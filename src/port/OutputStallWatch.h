// Whether the printer still takes what it is sent. The bytes handed to the port minus the
// bytes still queued in it are the bytes that have left; while bytes are queued and that count
// does not grow for the limit, the printer has stopped listening. A printer that reads slowly
// keeps the count growing, however slowly, and is never taken for one that stopped.
#pragma once

#include <cstdint>

namespace kestrel {

// How long a printer may take nothing before the connection counts as lost.
inline constexpr uint32_t kDefaultStallLimitMs = 10000;

class OutputStallWatch {
  public:
    // A port just opened: nothing handed over, nothing waiting.
    void Restart();
    // A write handed `bytes` to the port.
    void Accepted(uint32_t bytes) { m_accepted += bytes; }
    // One look at the queue (`queued` < 0: it could not be read, which says nothing). True
    // once bytes have been waiting for `limitMs` without one of them leaving.
    bool Stalled(int queued, uint32_t nowMs, uint32_t limitMs);

  private:
    uint64_t m_accepted = 0;
    uint64_t m_left = 0;  // the bytes that had left at the last look
    bool m_waiting = false;
    uint32_t m_waitingSinceMs = 0;  // when the last byte left while bytes were waiting
};

}  // namespace kestrel
