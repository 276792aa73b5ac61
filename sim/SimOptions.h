// The simulator's command line.
#pragma once

#include <string>
#include <vector>

#include "sim/SimPrinter.h"

namespace kestrel {

inline constexpr const char* kDefaultTcpAddress = "127.0.0.1:9100";
inline constexpr const char* kDefaultControlAddress = "127.0.0.1:0";

struct SimOptions {
    std::string tcpAddress = kDefaultTcpAddress;
    std::string ptyPath;  // empty: no pseudo-terminal
    std::string controlAddress = kDefaultControlAddress;
    PrinterSettings printer;
    std::vector<std::string> faults;  // control commands applied at start
    std::string recordPath;           // empty: no recording
    bool verbose = false;
    bool help = false;
};

// Parses argv[1..]. On failure returns false with a message in `error`.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error);

// The text of --help.
std::string SimUsage();

}  // namespace kestrel
