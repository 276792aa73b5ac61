// The answers to "--help" and "--version", which the program gives before anything else.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

inline constexpr const char* kVersionText = "Kestrel Version 2.0.1.5";

// The option list, in the form of a Linux program's --help.
std::string HelpText();

// The text to print when the arguments ask for help or the version, else nothing (the
// arguments are then the program's options).
std::optional<std::string> InformationRequest(const std::vector<std::string>& args);

}  // namespace kestrel
