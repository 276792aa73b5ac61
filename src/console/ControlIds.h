// Ids of the console's controls (dialog 102), of the port selection dialog (1033) and of the
// About box (100). The same number can mean different controls in different dialogs.
#pragma once

namespace kestrel {

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_KESTREL_DIALOG = 102;
inline constexpr int IDD_PORTDIALOG = 1033;

// Console (102): the picture buttons.
inline constexpr int IDC_PRINT = 1000;
inline constexpr int IDC_COMM = 1001;
inline constexpr int IDC_EXITIMAGE = 1004;
inline constexpr int IDC_STATUS = 1005;

// Console: demo tickets, modes and commands.
inline constexpr int IDC_DEMOLIST = 1002;
inline constexpr int IDC_BROWSE = 1052;
inline constexpr int IDC_RESET = 1102;
inline constexpr int IDC_DEBUGMODE = 1038;
inline constexpr int IDC_VENTRIXMODE = 1039;
inline constexpr int IDC_SMARTMODE = 1040;
inline constexpr int IDC_NORMALMODE = 1041;
inline constexpr int IDC_SERIALPACKETMODE = 1101;
inline constexpr int IDC_INFOLINE1 = 1036;  // the port identity line, and status texts
inline constexpr int IDC_INFOLINE2 = 1037;
inline constexpr int IDC_COMMLOG = 1043;  // the communication log pane
inline constexpr int IDC_COMMLOGLABEL = 1054;
inline constexpr int IDC_CMDCOMBO = 1050;
inline constexpr int IDC_SENDCOMMAND = 1051;
inline constexpr int IDC_SAVECOMMDATA = 1053;  // "Save Comm Data"
inline constexpr int IDC_STOPLOGGING = 1057;   // "Stop Logging" / "Start Logging"
inline constexpr int IDC_CLEARCOMMLOG = 1058;  // "Clear Comm Log"
inline constexpr int IDC_POLLCOMBO = 1055;
inline constexpr int IDC_POLLBUTTON = 1056;
inline constexpr int IDC_POLLAT = 1060;
inline constexpr int IDC_POLLINTERVAL = 1006;
inline constexpr int IDC_POLLMSLABEL = 1059;
inline constexpr int IDC_HEX = 1061;
inline constexpr int IDC_TEXT = 1062;
inline constexpr int IDC_REPEAT = 1065;
inline constexpr int IDC_REPEATCOUNT = 1066;
inline constexpr int IDC_REPEATTIMESLABEL = 1067;
inline constexpr int IDC_REPEATINTERVAL = 1068;
inline constexpr int IDC_REPEATMSLABEL = 1063;
inline constexpr int IDC_FRAME1 = 1069;
inline constexpr int IDC_FRAME2 = 1070;
inline constexpr int IDC_FRAME3 = 1071;

// Console: the Smart status area.
inline constexpr int IDC_SMARTGROUP = 1044;
inline constexpr int IDC_STATELABEL = 1045;
inline constexpr int IDC_PRINTERSTATE = 1032;
inline constexpr int IDC_PERCENTLABEL = 1046;
inline constexpr int IDC_PROGRESS = 1008;
inline constexpr int IDC_CRITICALLABEL = 1047;
inline constexpr int IDC_CRITICALDONE = 1009;
inline constexpr int IDC_NONCRITICALLABEL = 1048;
inline constexpr int IDC_NONCRITICALDONE = 1010;

// Console: the Ventrix status area (the status bits 1072 to 1093 are in the status table).
inline constexpr int IDC_CHECKBUSY = 1077;
inline constexpr int IDC_CHECKCHUTE = 1085;
inline constexpr int IDC_CHECKNEXT = 1092;
inline constexpr int IDC_CHECKBARCODE = 1093;
inline constexpr int IDC_MONITORSTATE = 1094;
inline constexpr int IDC_MONITORLABEL = 1095;
inline constexpr int IDC_VENTRIXGROUP = 1096;
inline constexpr int IDC_MONITOR = 1097;
inline constexpr int IDC_DISABLESEQUENCE = 1100;

// Console: the command without a control.
inline constexpr int ID_SENDBINARYFILE = 1103;
// Ours: the context menu's "Reconnect automatically".
inline constexpr int ID_RECONNECTAUTOMATICALLY = 1120;

// Port selection dialog (1033).
inline constexpr int IDC_PORTCOMBO = 1088;
inline constexpr int IDC_SETUPSERIAL = 1066;

}  // namespace kestrel
