#include "sim/StatusBits.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

constexpr std::array<StatusCondition, kStatusConditionCount> kConditions = {{
    {"IDC_CHECKVOLT", "voltage", 0, 0x01},
    {"IDC_CHECKHEAD", "head-error", 0, 0x02},
    {"IDC_CHECKPO", "paper-out", 0, 0x04},
    {"IDC_CHECKPHUP", "head-up", 0, 0x08},
    {"IDC_CHECKPE", "printer-error", 0, 0x10},
    {nullptr, "busy", kBusyByte, kBusyMask},
    {"IDC_CHECKMEM", "memory-error", 1, 0x01},
    {"IDC_CHECKOVER", "overflow", 1, 0x02},
    {"IDC_CHECKTEMPERR", "template-error", 1, 0x04},
    {"IDC_CHECKDATERR", "data-error", 1, 0x08},
    {"IDC_CHECKTEMPHIGH", "over-temp", 1, 0x20},
    {"IDC_CHECKTOF", "tof-error", 2, 0x01},
    {"IDC_CHECKFIRM", "firmware-error", 2, 0x04},
    {nullptr, "paper-in-chute", kChuteByte, kChuteMask},
    {"IDC_CHECKCORR", "corrupt-template", 2, 0x10},
    {"IDC_CHECKINVALID", "invalid-command", 2, 0x20},
    {"IDC_CHECKLOW", "paper-low", 3, 0x01},
    {"IDC_CHECKJAM", "jam", 3, 0x02},
    {"IDC_CHECKOPEN", "door-open", 4, 0x04},
    {"IDC_CHECKABORTED", "aborted", 4, 0x08},
    {"IDC_CHECKNEXT", "top-of-next-form", kNextFormByte, kNextFormMask},
    {nullptr, "barcode-done", kBarcodeDoneByte, kBarcodeDoneMask},
}};

bool EqualsIgnoringCase(std::string_view a, const char* b) {
    return b != nullptr && EqualsNoCase(a, b);
}

}  // namespace

const std::array<StatusCondition, kStatusConditionCount>& StatusConditions() {
    return kConditions;
}

const StatusCondition* FindStatusCondition(std::string_view name) {
    for (const StatusCondition& condition : kConditions) {
        if (EqualsIgnoringCase(name, condition.controlName) ||
            EqualsIgnoringCase(name, condition.alias)) {
            return &condition;
        }
    }
    return nullptr;
}

const char* DisplayName(const StatusCondition& condition) {
    return condition.controlName != nullptr ? condition.controlName : condition.alias;
}

std::string DescribeStatus(const PrinterStatus& status) {
    std::string text;
    for (const StatusCondition& condition : kConditions) {
        if (HasBit(status, condition)) {
            if (!text.empty()) {
                text += ',';
            }
            text += DisplayName(condition);
        }
    }
    return text.empty() ? "none" : text;
}

}  // namespace kestrel
