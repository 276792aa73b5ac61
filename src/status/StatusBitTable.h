// The 22 condition bits of a Ventrix status packet: where each lies among the five status bytes,
// the console check box that shows it, the name it is logged under, and whether it counts as an
// error. The decoder applies the rows in this order; the simulator builds its conditions from it.
#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

inline constexpr int kStatusByteCount = 5;    // the bytes at S, S+2, S+4, S+6 and S+8
inline constexpr int kStatusByteSpacing = 2;  // one byte between each two status bytes
inline constexpr int kStatusConditionCount = 22;
inline constexpr uint8_t kStatusPacketType = 0x12;
inline constexpr uint8_t kStatusFieldSeparator = '|';
inline constexpr int kStatusOriginSeparators = 3;  // S follows the third "|"

struct StatusBitRow {
    int checkBoxId;
    const char* caption;
    const char* controlName;  // null for the bits that are never logged
    int byteIndex;            // 0 for S, 1 for S+2, ... 4 for S+8
    uint8_t mask;
    bool setsError;
    bool logged;
};

inline constexpr std::array<StatusBitRow, kStatusConditionCount> kStatusBitTable = {{
    {1072, "Printer Voltage Bad", "IDC_CHECKVOLT", 0, 0x01, true, true},
    {1073, "Print Head Error", "IDC_CHECKHEAD", 0, 0x02, true, true},
    {1074, "Paper Out", "IDC_CHECKPO", 0, 0x04, true, true},
    {1075, "Print Head UP", "IDC_CHECKPHUP", 0, 0x08, true, true},
    {1076, "Printer Error", "IDC_CHECKPE", 0, 0x10, true, true},
    {1077, "Printer Busy", nullptr, 0, 0x20, true, false},
    {1078, "Printer Memory Error", "IDC_CHECKMEM", 1, 0x01, true, true},
    {1079, "Buffer Overflow", "IDC_CHECKOVER", 1, 0x02, true, true},
    {1080, "Template Error", "IDC_CHECKTEMPERR", 1, 0x04, true, true},
    {1081, "Data Error", "IDC_CHECKDATERR", 1, 0x08, true, true},
    {1082, "Over Temp Error", "IDC_CHECKTEMPHIGH", 1, 0x20, true, true},
    {1083, "Top of form error", "IDC_CHECKTOF", 2, 0x01, true, true},
    {1084, "Firmware Error", "IDC_CHECKFIRM", 2, 0x04, true, true},
    {1085, "Paper in Chute", nullptr, 2, 0x08, false, false},
    {1087, "Corrupt Template", "IDC_CHECKCORR", 2, 0x10, true, true},
    {1086, "Invalid Printer Command", "IDC_CHECKINVALID", 2, 0x20, true, true},
    {1088, "Paper Low", "IDC_CHECKLOW", 3, 0x01, true, true},
    {1089, "Paper Jam", "IDC_CHECKJAM", 3, 0x02, true, true},
    {1090, "Printer Door Open", "IDC_CHECKOPEN", 4, 0x04, true, true},
    {1091, "Aborted Job", "IDC_CHECKABORTED", 4, 0x08, true, true},
    {1092, "Top of Next Form", "IDC_CHECKNEXT", 4, 0x10, false, true},
    {1093, "Barcode(s) done", nullptr, 4, 0x20, false, false},
}};

// The four boxes the ticket-printing monitor watches.
inline constexpr int kCheckPrinterBusy = 1077;
inline constexpr int kCheckPaperInChute = 1085;
inline constexpr int kCheckTopOfNextForm = 1092;
inline constexpr int kCheckBarcodesDone = 1093;

// The row of a check box, for constants: an unknown id does not compile.
consteval const StatusBitRow& StatusBitRowFor(int checkBoxId) {
    for (const StatusBitRow& row : kStatusBitTable) {
        if (row.checkBoxId == checkBoxId) {
            return row;
        }
    }
    throw "no status bit shows in this check box";
}

}  // namespace kestrel
