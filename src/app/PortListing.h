// "--list-ports": the port names the port selection dialog would offer, printed without opening
// a window, as serial tools on Linux let you list ports.
#pragma once

#include <string>
#include <vector>

#include "port/IOComm.h"
#include "port/PortEnvironment.h"

namespace kestrel {

// Asks `GetPortName` for positions 0 to 49 until the first empty name, as the dialog fills its
// sorted combo box: each name once (case ignored, the first one found is kept), in list order.
std::vector<std::string> OfferedPortNames(IOComm& port);

// The offered names of the system described by `environment`, one a line.
std::string PortListText(const PortEnvironment& environment);

}  // namespace kestrel
