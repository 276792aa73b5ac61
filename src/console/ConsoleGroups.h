// The console's control groups that the mode boxes and Debug Mode show and hide, in the order
// they are shown, and the picture areas drawn while Debug Mode is off.
#pragma once

#include <array>

#include "console/ControlIds.h"
#include "platform/DialogHost.h"

namespace kestrel {

inline constexpr std::array<int, 18> kSmartGroup = {IDC_SMARTGROUP,
                                                    IDC_STATELABEL,
                                                    IDC_PRINTERSTATE,
                                                    IDC_PERCENTLABEL,
                                                    IDC_PROGRESS,
                                                    IDC_CRITICALLABEL,
                                                    IDC_CRITICALDONE,
                                                    IDC_NONCRITICALLABEL,
                                                    IDC_NONCRITICALDONE,
                                                    1011,
                                                    1012,
                                                    1013,
                                                    1014,
                                                    1015,
                                                    1016,
                                                    1017,
                                                    1019,
                                                    1021};

inline constexpr std::array<int, 27> kVentrixGroup = {1072,
                                                      1073,
                                                      1074,
                                                      1075,
                                                      1077,
                                                      1078,
                                                      1079,
                                                      1080,
                                                      1081,
                                                      1082,
                                                      1083,
                                                      1084,
                                                      1085,
                                                      1087,
                                                      1086,
                                                      1088,
                                                      1089,
                                                      1090,
                                                      1091,
                                                      1092,
                                                      1093,
                                                      1076,
                                                      IDC_VENTRIXGROUP,
                                                      IDC_MONITORLABEL,
                                                      IDC_MONITORSTATE,
                                                      IDC_MONITOR,
                                                      IDC_DISABLESEQUENCE};

inline constexpr std::array<int, 22> kDebugGroup = {IDC_COMMLOG,       IDC_COMMLOGLABEL,
                                                    IDC_CMDCOMBO,      IDC_SENDCOMMAND,
                                                    IDC_SAVECOMMDATA,  IDC_STOPLOGGING,
                                                    IDC_CLEARCOMMLOG,  IDC_POLLINTERVAL,
                                                    IDC_POLLMSLABEL,   IDC_POLLAT,
                                                    IDC_POLLBUTTON,    IDC_POLLCOMBO,
                                                    IDC_HEX,           IDC_TEXT,
                                                    IDC_REPEATCOUNT,   IDC_REPEATINTERVAL,
                                                    IDC_REPEAT,        IDC_REPEATTIMESLABEL,
                                                    IDC_REPEATMSLABEL, IDC_FRAME1,
                                                    IDC_FRAME2,        IDC_FRAME3};

// Picture areas in client pixels (left, top, right, bottom).
inline constexpr ClientRect kPreviewRect{20, 190, 520, 390};
inline constexpr ClientRect kBottomPictureRect{20, 395, 520, 630};

}  // namespace kestrel
