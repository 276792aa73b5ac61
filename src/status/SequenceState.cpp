#include "status/SequenceState.h"

namespace kestrel {
namespace {

constexpr int kVentrixSequenceMax = 3;
constexpr int kSerialSequenceMax = 7;

}  // namespace

uint8_t SequenceState::TakeVentrixBits() {
    if (m_sequenceBitsDisabled) {
        return 0;
    }
    const auto bits = static_cast<uint8_t>((m_sequenceNumber & 0x3) << 6);
    if (++m_sequenceNumber > kVentrixSequenceMax) {
        m_sequenceNumber = 1;
    }
    return bits;
}

uint8_t SequenceState::TakeSerialSequence() {
    if (m_sequenceBitsDisabled) {
        return 0;
    }
    const auto sequence = static_cast<uint8_t>(m_sequenceNumber);
    if (++m_sequenceNumber > kSerialSequenceMax) {
        m_sequenceNumber = 1;
    }
    return sequence;
}

}  // namespace kestrel
