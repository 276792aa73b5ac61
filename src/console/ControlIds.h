// Ids of the console's controls (dialog 102).
#pragma once

namespace kestrel {

inline constexpr int IDC_COMMLOG = 1043;       // the communication log pane
inline constexpr int IDC_SAVECOMMDATA = 1053;  // "Save Comm Data"
inline constexpr int IDC_STOPLOGGING = 1057;   // "Stop Logging" / "Start Logging"
inline constexpr int IDC_CLEARCOMMLOG = 1058;  // "Clear Comm Log"

}  // namespace kestrel
