// The answers to "--help", "--version" and "--list-ports", which the program gives before
// anything else.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "port/PortEnvironment.h"

namespace kestrel {

inline constexpr const char* kVersionText = "Kestrel Version 2.0.1.5";

// The program's exit statuses, as --help, the manual page and the README list them. A second
// signal during the close ends the process by that signal (the shell reports 128 + its number).
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitJobFailed = 1;
inline constexpr int kExitNoDisplay = 2;

// The option list, in the form of a Linux program's --help.
std::string HelpText();

// The text to print when the arguments ask for help, the version or the port list, else
// nothing (the arguments are then the program's options). The first such argument decides.
std::optional<std::string> InformationRequest(const std::vector<std::string>& args);

// The same, listing the ports of the system that `environment` describes.
std::optional<std::string> InformationRequest(const std::vector<std::string>& args,
                                              const PortEnvironment& environment);

}  // namespace kestrel
