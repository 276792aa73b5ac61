#include "status/SmartRecordDecoder.h"

#include <algorithm>
#include <string>

#include "status/SmartRecordTable.h"

namespace kestrel {
namespace {

bool IsCodeByte(uint8_t byte) {
    return (byte & kSmartCodeBit) != 0;
}

void ShowStatusBits(const uint8_t* record, DialogHost& host) {
    for (const SmartStatusBit& bit : kSmartStatusBitTable) {
        host.CheckButton(bit.checkBoxId, SmartStatusBitSet(record, bit) ? 1 : 0);
    }
}

void ShowRecord(const SmartRecord& record, const uint8_t* bytes, DialogHost& host) {
    switch (record.action) {
        case SmartRecordAction::StatusBits:
            ShowStatusBits(bytes, host);
            break;
        case SmartRecordAction::Text:
            host.SetItemText(record.controlId, SmartRecordText(bytes, record));
            break;
        case SmartRecordAction::Percent:
            host.SetProgressRange(record.controlId, kSmartPercentLower, kSmartPercentUpper);
            host.SetProgressStep(record.controlId, kSmartPercentStep);
            host.SetProgressPos(record.controlId, bytes[1]);
            break;
        case SmartRecordAction::AppendValue:
            host.SetItemText(record.controlId,
                             host.GetItemText(record.controlId) + std::to_string(bytes[1]) + " ");
            break;
        case SmartRecordAction::Skip:
            break;
    }
}

}  // namespace

std::string SmartRecordText(const uint8_t* record, const SmartRecord& kind) {
    const uint8_t* data = record + 1;
    const uint8_t* end = std::find(data, data + kind.length - 1, uint8_t{0});
    return std::string(data, end);
}

int DecodeSmartRecord(const uint8_t* bytes, int available, DialogHost& host) {
    if (!IsCodeByte(bytes[0])) {
        const uint8_t* next = std::find_if(bytes, bytes + available, IsCodeByte);
        return static_cast<int>(next - bytes);
    }
    // A skipped code is passed with its data byte at once, whether or not that byte is here
    // yet: nothing is read, and a data byte still to come then lands behind the position.
    const SmartRecord record = SmartRecordFor(bytes[0]);
    if (record.action == SmartRecordAction::Skip) {
        return record.length;
    }
    if (available < record.length) {
        return 0;
    }
    ShowRecord(record, bytes, host);
    return record.length;
}

}  // namespace kestrel
