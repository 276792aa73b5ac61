#include "sim/StatusBits.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

// The control channel's short names, by check box, in the table's order.
struct ConditionAlias {
    int checkBoxId;
    const char* alias;
};
constexpr std::array<ConditionAlias, kStatusConditionCount> kAliases = {{
    {1072, "voltage"},
    {1073, "head-error"},
    {1074, "paper-out"},
    {1075, "head-up"},
    {1076, "printer-error"},
    {kCheckPrinterBusy, "busy"},
    {1078, "memory-error"},
    {1079, "overflow"},
    {1080, "template-error"},
    {1081, "data-error"},
    {1082, "over-temp"},
    {1083, "tof-error"},
    {1084, "firmware-error"},
    {kCheckPaperInChute, "paper-in-chute"},
    {1087, "corrupt-template"},
    {1086, "invalid-command"},
    {1088, "paper-low"},
    {1089, "jam"},
    {1090, "door-open"},
    {1091, "aborted"},
    {kCheckTopOfNextForm, "top-of-next-form"},
    {kCheckBarcodesDone, "barcode-done"},
}};

constexpr std::array<StatusCondition, kStatusConditionCount> BuildConditions() {
    std::array<StatusCondition, kStatusConditionCount> conditions{};
    for (size_t i = 0; i < conditions.size(); ++i) {
        const StatusBitRow& row = kStatusBitTable[i];
        if (kAliases[i].checkBoxId != row.checkBoxId) {
            throw "the aliases are not in the order of the bit table";
        }
        conditions[i] = {row.controlName, kAliases[i].alias, row.byteIndex, row.mask};
    }
    return conditions;
}

constexpr std::array<StatusCondition, kStatusConditionCount> kConditions = BuildConditions();

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
