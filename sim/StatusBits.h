// The printer's 22 condition bits as the simulator keeps them: five status bytes, each bit with
// the name the console logs it under (where it has one) and a short alias for typing. Places and
// names come from the console's own bit table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "status/StatusBitTable.h"

namespace kestrel {

using PrinterStatus = std::array<uint8_t, kStatusByteCount>;

struct StatusCondition {
    const char* controlName;  // the console's name for the bit, or nullptr when it has none
    const char* alias;        // short name accepted by the control channel
    int byteIndex;            // 0 for S, 1 for S+2, ... 4 for S+8
    uint8_t mask;
};

// Bits that the ticket phases drive.
inline constexpr int kBusyByte = StatusBitRowFor(kCheckPrinterBusy).byteIndex;
inline constexpr uint8_t kBusyMask = StatusBitRowFor(kCheckPrinterBusy).mask;
inline constexpr int kChuteByte = StatusBitRowFor(kCheckPaperInChute).byteIndex;
inline constexpr uint8_t kChuteMask = StatusBitRowFor(kCheckPaperInChute).mask;
inline constexpr int kNextFormByte = StatusBitRowFor(kCheckTopOfNextForm).byteIndex;
inline constexpr uint8_t kNextFormMask = StatusBitRowFor(kCheckTopOfNextForm).mask;
inline constexpr int kBarcodeDoneByte = StatusBitRowFor(kCheckBarcodesDone).byteIndex;
inline constexpr uint8_t kBarcodeDoneMask = StatusBitRowFor(kCheckBarcodesDone).mask;

// All 22 conditions in the console's order.
const std::array<StatusCondition, kStatusConditionCount>& StatusConditions();

// The condition named `name` (control name or alias, compared without case), or nullptr.
const StatusCondition* FindStatusCondition(std::string_view name);

// The name to show for a condition: its control name, else its alias.
const char* DisplayName(const StatusCondition& condition);

// The set bits of `status` by display name, separated by commas; "none" when no bit is set.
std::string DescribeStatus(const PrinterStatus& status);

inline bool HasBit(const PrinterStatus& status, const StatusCondition& condition) {
    return (status[condition.byteIndex] & condition.mask) != 0;
}

inline void SetBit(PrinterStatus& status, const StatusCondition& condition, bool on) {
    if (on) {
        status[condition.byteIndex] |= condition.mask;
    } else {
        status[condition.byteIndex] &= static_cast<uint8_t>(~condition.mask);
    }
}

}  // namespace kestrel
