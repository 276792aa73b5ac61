// The system's own list of printer and serial ports, the first source of the port list: ttys
// backed by a real device (by their stable /dev/serial/by-id names where they have one), parallel
// printer ports, USB printer-class ports, and the spooler's raw-socket queues by name.
#pragma once

#include <string>
#include <vector>

#include "port/PortEnvironment.h"

namespace kestrel {

class SpoolerPorts;

std::vector<std::string> SystemPortNames(const PortEnvironment& environment, SpoolerPorts& spooler);

// The spooler's queues whose device URI is a raw socket, in the spooler's order.
std::vector<std::string> SocketQueueNames(SpoolerPorts& spooler);

}  // namespace kestrel
