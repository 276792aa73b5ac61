// The text commands of the control channel (and of --fault on the command line): one command a
// line, each answered with one line, "ok ..." or "error: ...".
#pragma once

#include <string>
#include <string_view>

#include "sim/SimPrinter.h"

namespace kestrel {

inline constexpr std::string_view kControlHelp =
    "commands: <condition> [on|off] (paper-out, paper-low, jam, door-open, head-up, or any "
    "condition by its IDC_ name or alias), bad-crc N, silence [on|off], drop-after N, drop, "
    "never-busy [on|off], mode ventrix|smart|serial|normal, clear, status, conditions, help";

// Runs one command line against the printer and returns the answer (without a line end).
std::string RunControlCommand(std::string_view line, SimPrinter& printer);

// Every condition as "IDC_NAME/alias" (or just the alias), separated by blanks.
std::string ListConditions();

}  // namespace kestrel
