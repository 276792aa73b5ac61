// What the port object reaches outside itself, injectable so tests run on fake device trees,
// a fake spooler and a system-call seam that can fail on request. The defaults are the real
// system: /sys, /dev, CUPS and the plain system calls.
#pragma once

#include <string>

namespace kestrel {

class SystemCalls;       // port/SystemCalls.h
class SpoolerPorts;      // port/SpoolerPorts.h
class CommConfigDialog;  // platform/CommConfigDialog.h

struct PortEnvironment {
    std::string sysfsRoot = "/sys";
    std::string devRoot = "/dev";
    SystemCalls* sys = nullptr;                // null: the real system calls
    SpoolerPorts* spooler = nullptr;           // null: the CUPS print queues
    CommConfigDialog* configDialog = nullptr;  // null: no dialog can be shown (it "cancels")
};

}  // namespace kestrel
