// The Smart coded status records: a code byte with its top bit set, then a fixed number of data
// bytes (lengths count the code byte), and the console control each record is shown in.
#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

inline constexpr uint8_t kSmartCodeBit = 0x80;

inline constexpr uint8_t kSmartStatusCode = 0x81;
inline constexpr uint8_t kSmartInfoLine1Code = 0x82;
inline constexpr uint8_t kSmartInfoLine2Code = 0x83;
inline constexpr uint8_t kSmartPercentCode = 0x85;
inline constexpr uint8_t kSmartCriticalFieldCode = 0x86;
inline constexpr uint8_t kSmartFieldCode = 0x87;
inline constexpr uint8_t kSmartStateCode = 0x8A;
inline constexpr int kSmartStatusLength = 3;
inline constexpr int kSmartInfoLine1Length = 60;
inline constexpr int kSmartInfoLine2Length = 20;
inline constexpr int kSmartStateLength = 257;
inline constexpr int kSmartValueLength = 2;
inline constexpr int kSmartSkippedLength = 2;  // every other code

// Controls the records are shown in.
inline constexpr int kSmartProgressId = 1008;
inline constexpr int kSmartCriticalFieldsId = 1009;  // "Critical Field(s) Done:"
inline constexpr int kSmartFieldsId = 1010;          // "Non-Critical Field(s) Done:"
inline constexpr int kSmartStateTextId = 1032;       // under "Printer State"
inline constexpr int kSmartInfoLine1Id = 1036;
inline constexpr int kSmartInfoLine2Id = 1037;
inline constexpr int kSmartPercentLower = 0;
inline constexpr int kSmartPercentUpper = 100;
inline constexpr int kSmartPercentStep = 1;

enum class SmartRecordAction {
    StatusBits,   // the check boxes of kSmartStatusBitTable
    Text,         // the data bytes up to the first NUL become the control's text
    Percent,      // the progress bar's position
    AppendValue,  // "%i " of the data byte is appended to the control's text
    Skip,         // consumed unread
};

struct SmartRecord {
    uint8_t code;
    int length;
    SmartRecordAction action;
    int controlId;  // 0 where the action names no single control
};

inline constexpr std::array<SmartRecord, 7> kSmartRecordTable = {{
    {kSmartStatusCode, kSmartStatusLength, SmartRecordAction::StatusBits, 0},
    {kSmartInfoLine1Code, kSmartInfoLine1Length, SmartRecordAction::Text, kSmartInfoLine1Id},
    {kSmartInfoLine2Code, kSmartInfoLine2Length, SmartRecordAction::Text, kSmartInfoLine2Id},
    {kSmartPercentCode, kSmartValueLength, SmartRecordAction::Percent, kSmartProgressId},
    {kSmartCriticalFieldCode, kSmartValueLength, SmartRecordAction::AppendValue,
     kSmartCriticalFieldsId},
    {kSmartFieldCode, kSmartValueLength, SmartRecordAction::AppendValue, kSmartFieldsId},
    {kSmartStateCode, kSmartStateLength, SmartRecordAction::Text, kSmartStateTextId},
}};

// The record a code byte (top bit set) starts; codes not in the table are skipped.
constexpr SmartRecord SmartRecordFor(uint8_t code) {
    for (const SmartRecord& record : kSmartRecordTable) {
        if (record.code == code) {
            return record;
        }
    }
    return {code, kSmartSkippedLength, SmartRecordAction::Skip, 0};
}

// The check boxes of the 0x81 record: each is checked when its bit is 1, cleared when it is 0.
struct SmartStatusBit {
    int dataByte;  // 1 or 2
    uint8_t mask;
    int checkBoxId;
    const char* caption;
};

inline constexpr std::array<SmartStatusBit, 9> kSmartStatusBitTable = {{
    {1, 0x01, 1011, "Ticket Out"},
    {1, 0x02, 1012, "Ticket Low"},
    {1, 0x04, 1013, "Chassis Open (Racked Out)"},
    {1, 0x08, 1014, "Data Error"},
    {1, 0x10, 1015, "Cover Open"},
    {1, 0x20, 1016, "Top of Form Error (Not seen)"},
    {2, 0x01, 1017, "Ticket Jam"},
    {2, 0x02, 1019, "Ticket not Taken"},
    {2, 0x04, 1021, "Printer Error"},
}};

// The bit of a check box, for constants: an unknown id does not compile.
consteval const SmartStatusBit& SmartStatusBitFor(int checkBoxId) {
    for (const SmartStatusBit& bit : kSmartStatusBitTable) {
        if (bit.checkBoxId == checkBoxId) {
            return bit;
        }
    }
    throw "no Smart status bit shows in this check box";
}

}  // namespace kestrel
