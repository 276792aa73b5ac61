// The system's printer queues that print to a raw TCP/IP socket (device URI
// "socket://host[:port]"). A queue's name stands for a TCP/IP port name, the way the address
// and port of a standard TCP/IP printer port stand behind its name.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

struct SpoolerQueue {
    std::string name;
    std::string deviceUri;
};

class SpoolerPorts {
  public:
    virtual ~SpoolerPorts() = default;
    // Every queue the spooler knows, with its device URI, in the spooler's order. Empty when
    // the spooler cannot be reached.
    virtual std::vector<SpoolerQueue> Queues();
};

// The system's print spooler (CUPS).
SpoolerPorts& SystemSpooler();

}  // namespace kestrel
