#include "console/DialogTemplates.h"

#include "console/ControlIds.h"
#include "platform/DialogHost.h"

namespace kestrel {
namespace {

using K = ControlKind;

// The Smart, Ventrix and Debug groups start hidden; the mode boxes show them.
constexpr uint32_t kHidden = kStyleHidden;
// The demo list holds titles taken from file names.
constexpr uint32_t kDemoTitleList = kStyleSorted | kStyleVScroll | kStyleFileNames;
constexpr uint32_t kHistoryCombo = kStyleVScroll | kStyleHidden;

constexpr TemplateControl kConsoleControls[] = {
    {IDC_PRINT, K::PictureButton, "Print", 185, 7, 87, 38, 0},
    {IDC_COMM, K::PictureButton, "COMM", 281, 7, 87, 38, 0},
    {IDC_STATUS, K::PictureButton, "Status", 381, 7, 87, 38, 0},
    {IDC_EXITIMAGE, K::PictureButton, "ExitImage", 479, 7, 87, 38, 0},
    {IDC_DEMOLIST, K::ListBox, "", 15, 18, 140, 88, kDemoTitleList},
    {IDC_SMARTGROUP, K::GroupBox, "Vantor 60 Printer Information", 351, 52, 219, 200, kHidden},
    {IDC_PROGRESS, K::ProgressBar, "", 359, 142, 201, 12, kHidden},
    {IDC_STATELABEL, K::StaticText, "Printer State", 358, 88, 104, 9, kHidden},
    {IDC_PERCENTLABEL, K::StaticText, "% Done Printing", 359, 133, 101, 9, kHidden},
    {IDC_CRITICALLABEL, K::StaticText, "Critical Field(s) Done:", 360, 160, 68, 9, kHidden},
    {IDC_NONCRITICALLABEL, K::StaticText, "Non-Critical Field(s) Done:", 360, 172, 84, 9, kHidden},
    {IDC_CRITICALDONE, K::Edit, "", 431, 159, 129, 12, kHidden},
    {IDC_NONCRITICALDONE, K::Edit, "", 446, 170, 114, 12, kHidden},
    {1011, K::CheckBox, "Ticket Out", 362, 188, 97, 10, kHidden},
    {1012, K::CheckBox, "Ticket Low", 362, 198, 97, 10, kHidden},
    // One unit wider than first drawn, so that the caption fits beside a check mark.
    {1013, K::CheckBox, "Chassis Open (Racked Out)", 362, 208, 98, 10, kHidden},
    {1014, K::CheckBox, "Data Error", 362, 218, 97, 10, kHidden},
    {1015, K::CheckBox, "Cover Open", 362, 228, 97, 10, kHidden},
    {1016, K::CheckBox, "Top of Form Error (Not seen)", 362, 239, 107, 10, kHidden},
    {1017, K::CheckBox, "Ticket Jam", 472, 186, 89, 10, kHidden},
    {1019, K::CheckBox, "Ticket not Taken", 472, 195, 85, 10, kHidden},
    {1021, K::CheckBox, "Printer Error", 472, 205, 86, 10, kHidden},
    {IDC_PRINTERSTATE, K::SunkenStatic, "", 358, 97, 201, 30, kHidden},
    {kNoControlId, K::GroupBox, "Select a Demo", 15, 7, 139, 99, 0},
    {IDC_INFOLINE1, K::StaticText, "", 356, 64, 204, 11, 0},
    {IDC_INFOLINE2, K::StaticText, "", 356, 76, 204, 11, 0},
    {IDC_DEBUGMODE, K::CheckBox, "Debug Mode", 164, 50, 69, 9, 0},
    {IDC_VENTRIXMODE, K::CheckBox, "Ventrix Mode", 261, 75, 64, 9, 0},
    {IDC_SMARTMODE, K::CheckBox, "Smart Mode", 261, 49, 77, 9, 0},
    // Wider than first drawn (76), up to the Smart group's frame: the caption needs it.
    {IDC_NORMALMODE, K::CheckBox, "Normal / Vantor 40 Mode", 261, 58, 88, 10, 0},
    {IDC_CMDCOMBO, K::DropDownCombo, "", 15, 113, 140, 130, kHistoryCombo},
    {IDC_SENDCOMMAND, K::DefaultPushButton, "<--- Send Command", 162, 113, 65, 13, kHidden},
    {IDC_BROWSE, K::PushButton, "Browse ...", 163, 62, 65, 17, 0},
    {IDC_SAVECOMMDATA, K::PushButton, "Save Comm Data", 268, 155, 68, 12, kHidden},
    {IDC_COMMLOGLABEL, K::StaticText, "COMM DATA    (Select text;  copy/paste)", 9, 156, 135, 9,
     kHidden},
    {IDC_STOPLOGGING, K::PushButton, "Stop Logging", 149, 155, 60, 12, kHidden},
    {IDC_CLEARCOMMLOG, K::PushButton, "Clear Comm Log", 209, 155, 58, 12, kHidden},
    {IDC_POLLCOMBO, K::DropDownCombo, "", 15, 136, 140, 122, kHistoryCombo},
    {IDC_POLLBUTTON, K::PushButton, "<--- Start Polling     ", 163, 137, 65, 13, kHidden},
    {IDC_POLLINTERVAL, K::DigitsEdit, "", 239, 138, 22, 12, kHidden},
    {IDC_POLLAT, K::StaticText, "@", 230, 139, 8, 9, kHidden},
    {IDC_POLLMSLABEL, K::StaticText, "ms interval", 262, 139, 37, 10, kHidden},
    {IDC_HEX, K::RadioButton, "Hex", 305, 134, 31, 9, kHidden | kStyleFirstInGroup},
    {IDC_TEXT, K::RadioButton, "Text", 305, 144, 26, 8, kHidden},
    {IDC_REPEAT, K::CheckBox, "Repeat", 163, 91, 35, 9, kHidden},
    {IDC_REPEATCOUNT, K::DigitsEdit, "", 202, 89, 27, 12, kHidden},
    {IDC_REPEATTIMESLABEL, K::StaticText, "Times;  Every", 231, 91, 44, 8, kHidden},
    {IDC_REPEATINTERVAL, K::DigitsEdit, "", 277, 89, 28, 12, kHidden},
    {IDC_REPEATMSLABEL, K::StaticText, "ms", 307, 91, 10, 10, kHidden},
    {IDC_FRAME1, K::SunkenFrame, "", 7, 133, 295, 20, kHidden},
    {IDC_FRAME2, K::SunkenFrame, "", 7, 109, 226, 20, kHidden},
    {IDC_FRAME3, K::SunkenFrame, "", 158, 85, 172, 20, kHidden},
    {1072, K::CheckBox, "Printer Voltage Bad", 362, 272, 90, 9, kHidden},
    {1073, K::CheckBox, "Print Head Error", 362, 282, 90, 9, kHidden},
    {1074, K::CheckBox, "Paper Out", 362, 292, 90, 9, kHidden},
    {1075, K::CheckBox, "Print Head UP", 362, 302, 90, 9, kHidden},
    {1076, K::CheckBox, "Printer Error", 362, 312, 90, 9, kHidden},
    {IDC_CHECKBUSY, K::CheckBox, "Printer Busy", 362, 322, 90, 9, kHidden},
    {1078, K::CheckBox, "Printer Memory Error", 362, 332, 90, 9, kHidden},
    {1079, K::CheckBox, "Buffer Overflow", 362, 342, 90, 9, kHidden},
    {1080, K::CheckBox, "Template Error", 362, 352, 90, 9, kHidden},
    {1081, K::CheckBox, "Data Error", 362, 362, 90, 9, kHidden},
    {1082, K::CheckBox, "Over Temp Error", 362, 372, 90, 9, kHidden},
    {1083, K::CheckBox, "Top of form error", 465, 273, 90, 9, kHidden},
    {1084, K::CheckBox, "Firmware Error", 465, 283, 90, 9, kHidden},
    {IDC_CHECKCHUTE, K::CheckBox, "Paper in Chute", 465, 293, 90, 9, kHidden},
    {1086, K::CheckBox, "Invalid Printer Command", 465, 313, 90, 9, kHidden},
    {1087, K::CheckBox, "Corrupt Template", 465, 303, 90, 9, kHidden},
    {1088, K::CheckBox, "Paper Low", 465, 323, 90, 9, kHidden},
    {1089, K::CheckBox, "Paper Jam", 465, 333, 90, 9, kHidden},
    {1090, K::CheckBox, "Printer Door Open", 465, 343, 90, 9, kHidden},
    {1091, K::CheckBox, "Aborted Job", 465, 353, 90, 9, kHidden},
    {IDC_CHECKNEXT, K::CheckBox, "Top of Next Form", 465, 363, 90, 9, kHidden},
    {IDC_CHECKBARCODE, K::CheckBox, "Barcode(s) done", 465, 372, 90, 9, kHidden},
    {IDC_MONITORSTATE, K::Edit, "", 410, 254, 132, 12, kHidden},
    {IDC_MONITORLABEL, K::StaticText, "Monitor State:", 351, 262, 46, 8, kHidden},
    {IDC_VENTRIXGROUP, K::GroupBox, "Ventrix info.", 349, 252, 221, 143, kHidden},
    {IDC_MONITOR, K::CheckBox, "Monitor Ticket Printing.", 245, 108, 86, 9, kHidden},
    {IDC_DISABLESEQUENCE, K::CheckBox, "Disable Sequence Bits", 245, 120, 86, 8, kHidden},
    {IDC_SERIALPACKETMODE, K::CheckBox, "Serial Packet Mode", 261, 67, 75, 8, 0},
    {IDC_RESET, K::PushButton, "Reset", 231, 62, 24, 18, 0},
    {IDC_COMMLOG, K::LogPane, "", 7, 172, 342, 223, kHidden},
};

constexpr TemplateControl kPortDialogControls[] = {
    {kIdOk, K::DefaultPushButton, "OK", 194, 7, 50, 14, 0},
    {kIdCancel, K::PushButton, "Cancel", 194, 24, 50, 14, 0},
    // Port names are device paths and print queue names as well as COMn.
    {IDC_PORTCOMBO, K::DropDownCombo, "", 21, 22, 126, 66,
     kStyleSorted | kStyleVScroll | kStyleFileNames},
    {IDC_SETUPSERIAL, K::PushButton, "Setup serial port.", 116, 57, 86, 16, 0},
};

// What a screen reader calls the controls without a caption of their own: the words that stand
// beside them (or, for the two history combos, what they hold).
constexpr ControlLabel kConsoleLabels[] = {
    {IDC_DEMOLIST, "Select a Demo"},
    {IDC_CMDCOMBO, "Command to send"},
    {IDC_POLLCOMBO, "Poll command"},
    {IDC_POLLINTERVAL, "Poll interval, ms"},
    {IDC_REPEATCOUNT, "Repeat, times"},
    {IDC_REPEATINTERVAL, "Repeat every, ms"},
    {IDC_COMMLOG, "COMM DATA"},
    {IDC_PRINTERSTATE, "Printer State"},
    {IDC_PROGRESS, "% Done Printing"},
    {IDC_CRITICALDONE, "Critical Field(s) Done:"},
    {IDC_NONCRITICALDONE, "Non-Critical Field(s) Done:"},
    {IDC_MONITORSTATE, "Monitor State:"},
};

constexpr ControlLabel kPortDialogLabels[] = {
    {IDC_PORTCOMBO, "Communication Port"},
};

constexpr TemplateControl kAboutControls[] = {
    {kNoControlId, K::Icon, "", 11, 17, 21, 20, 0},
    {kNoControlId, K::StaticText, kAboutVersionText, 40, 10, 119, 8, 0},
    {kNoControlId, K::StaticText, kAboutPurposeText, 40, 25, 170, 8, 0},
    {kNoControlId, K::StaticText, kAboutCopyrightText, 39, 35, 170, 8, 0},
    {kIdOk, K::DefaultPushButton, "OK", 178, 7, 50, 14, 0},
};

constexpr DialogTemplate kConsole{
    IDD_KESTREL_DIALOG, "Vantor 60 Ticket Printer", 576, 402, true, kConsoleControls,
    kConsoleLabels};
constexpr DialogTemplate kPortDialog{
    IDD_PORTDIALOG,   "Select Communication Port", 251, 95, false, kPortDialogControls,
    kPortDialogLabels};
constexpr DialogTemplate kAbout{IDD_ABOUTBOX, "About Kestrel", 235, 55, false, kAboutControls};

}  // namespace

const DialogTemplate& ConsoleTemplate() {
    return kConsole;
}

const DialogTemplate& PortDialogTemplate() {
    return kPortDialog;
}

const DialogTemplate& AboutTemplate() {
    return kAbout;
}

const DialogTemplate* FindDialogTemplate(int templateId) {
    for (const DialogTemplate* candidate : {&kConsole, &kPortDialog, &kAbout}) {
        if (candidate->id == templateId) {
            return candidate;
        }
    }
    return nullptr;
}

}  // namespace kestrel
