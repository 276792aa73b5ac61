// Faults injected into the simulated printer, from the command line or the control channel.
#pragma once

#include <cstdint>

#include "sim/StatusBits.h"

namespace kestrel {

inline constexpr int64_t kNoDrop = -1;

struct FaultState {
    PrinterStatus forcedBits{};        // condition bits set on request
    int64_t badCrcReplies = 0;         // the next this many packets sent carry a wrong CRC
    bool silent = false;               // nothing is sent at all
    int64_t dropAfterBytes = kNoDrop;  // close the connection once this many more bytes arrived
    bool neverBusy = false;            // ticket data is taken but never printed

    // Forced bits that stop the mechanism: any but paper low and the ticket phase bits.
    bool HaltsPrinting() const;
    void Clear() { *this = FaultState{}; }
};

inline bool FaultState::HaltsPrinting() const {
    constexpr PrinterStatus kNonHalting = {0x20, 0x00, 0x08, 0x01, 0x30};
    for (int i = 0; i < kStatusByteCount; ++i) {
        if (forcedBits[i] & static_cast<uint8_t>(~kNonHalting[i])) {
            return true;
        }
    }
    return false;
}

}  // namespace kestrel
