#include "sim/SmartPollScanner.h"

#include <algorithm>

namespace kestrel {
namespace {

const std::span<const uint8_t> kPolls[] = {kSmartStatusPoll, kSmartShortPoll};

bool IsPollPrefix(const std::vector<uint8_t>& bytes) {
    return std::any_of(std::begin(kPolls), std::end(kPolls), [&](std::span<const uint8_t> poll) {
        return bytes.size() <= poll.size() && std::equal(bytes.begin(), bytes.end(), poll.begin());
    });
}

}  // namespace

bool IsSmartPoll(std::span<const uint8_t> bytes) {
    return std::any_of(std::begin(kPolls), std::end(kPolls), [&](std::span<const uint8_t> poll) {
        return std::equal(bytes.begin(), bytes.end(), poll.begin(), poll.end());
    });
}

void SmartPollScanner::Push(std::span<const uint8_t> bytes, const PollHandler& onPoll,
                            const DataHandler& onData) {
    size_t data = 0;
    for (const uint8_t byte : bytes) {
        m_held.push_back(byte);
        // Bytes that cannot begin a poll are data; a poll may still begin behind them.
        while (!m_held.empty() && !IsPollPrefix(m_held)) {
            m_held.erase(m_held.begin());
            ++data;
        }
        if (!m_held.empty() && IsSmartPoll(m_held)) {
            m_held.clear();
            if (data > 0) {
                onData(data);
                data = 0;
            }
            onPoll();
        }
    }
    if (data > 0) {
        onData(data);
    }
}

}  // namespace kestrel
