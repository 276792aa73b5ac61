// Finds the Smart status polls in a raw byte stream; every other byte is ticket data. A poll may
// arrive split over several reads.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace kestrel {

// "[gs]~SS<0x81>" and "[GS]y", the console's poll commands for Smart and serial-packet modes.
inline constexpr uint8_t kSmartStatusPoll[] = {0x1D, 0x7E, 0x53, 0x53, 0x81};
inline constexpr uint8_t kSmartShortPoll[] = {0x1D, 0x79};

// True when the bytes are exactly one of the two polls.
bool IsSmartPoll(std::span<const uint8_t> bytes);

class SmartPollScanner {
  public:
    using PollHandler = std::function<void()>;
    using DataHandler = std::function<void(size_t count)>;

    // Reports polls and runs of data bytes in the order they arrived. The beginning of a poll at
    // the end of `bytes` is held back until the next call shows what it is.
    void Push(std::span<const uint8_t> bytes, const PollHandler& onPoll, const DataHandler& onData);
    void Reset() { m_held.clear(); }
    size_t Held() const { return m_held.size(); }

  private:
    std::vector<uint8_t> m_held;  // a proper prefix of a poll, never longer than the longest poll
};

}  // namespace kestrel
