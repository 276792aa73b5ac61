// Sequence numbers of outgoing packets: one counter serves both framings.
#pragma once

#include <cstdint>

namespace kestrel {

struct SequenceState {
    int m_sequenceNumber = 0;
    int m_sequenceBitsDisabled = 0;

    // The bits to OR into a Ventrix type byte (number << 6), advancing 0,1,2,3,1,2,3,...;
    // 0 and no advance while numbering is disabled.
    uint8_t TakeVentrixBits();
    // The sequence byte of a serial packet, advancing 0,1,...,7,1,...; 0 and no advance while
    // numbering is disabled.
    uint8_t TakeSerialSequence();
    // Reset (the console's printer reset) starts the numbering again at 0.
    void Reset() { m_sequenceNumber = 0; }
};

}  // namespace kestrel
