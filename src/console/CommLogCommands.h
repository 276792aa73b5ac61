// The console's commands on the communication log: Clear Comm Log, Stop/Start Logging, Save Comm
// Data, and loading the pane from a file at start. They take only what they act on, so the
// console binds them to its buttons and tests drive them through a fake host and pane.
#pragma once

#include <functional>
#include <string>

#include "commlog/CommLogPane.h"
#include "commlog/TrafficCapture.h"
#include "console/ConsoleTexts.h"
#include "platform/DialogHost.h"

namespace kestrel {

inline constexpr const char* kStopLoggingCaption = "Stop Logging";
inline constexpr const char* kStartLoggingCaption = "Start Logging";
inline constexpr const char* kCommLogFileFilter =
    "Communication Log files    (*.rtf;*.rtf)|*.rtf;*.rtf||";
inline constexpr const char* kCommLogExtension = ".rtf";

// Renders the log with a force flag (the application's RenderCommLog); returns 1 when it did.
using RenderCommLogFunction = std::function<int(int force)>;

// "Clear Comm Log" (1058): zeroes every record and the count, keeping m_trafficFirstShown and
// the last rendered count, then renders without force, which shows one empty block.
void ClearCommLog(TrafficCapture& capture, const RenderCommLogFunction& renderCommLog);

// "Stop Logging" / "Start Logging" (1057): stops or restarts the periodic log refresh.
void ToggleLogging(DialogHost& host);

// "Save Comm Data" (1053): asks for a file, saves the pane there and makes it the comm data
// file. A cancelled dialog does nothing; a failed save shows why and keeps `commDataPath`.
// Returns 1 when the pane was saved.
int SaveCommData(DialogHost& host, CommLogPane& pane, std::string& commDataPath);

// The saved name for a chosen path: ".rtf" is added unless the path holds it somewhere.
std::string CommLogSavePath(const std::string& chosenPath);

// Loads the pane from `path`; false with `error` set when the file cannot be read or is not
// RTF (the console ignores that at start).
bool LoadCommLog(CommLogPane& pane, const std::string& path, std::string* error);

}  // namespace kestrel
