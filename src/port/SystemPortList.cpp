#include "port/SystemPortList.h"

#include "port/SocketUri.h"
#include "port/SpoolerPorts.h"
#include "port/SysfsTree.h"

namespace kestrel {

namespace {

// The serial core's "type" attribute is 0 for a port slot with no UART behind it (the kernel
// registers a fixed number of 8250 slots whether or not the hardware is there).
constexpr const char* kNoUartType = "0";

void AddTtys(const PortEnvironment& environment, std::vector<std::string>& names) {
    const std::string ttyClass = environment.sysfsRoot + "/class/tty/";
    for (const std::string& tty : ListFolder(ttyClass)) {
        if (!PathExists(ttyClass + tty + "/device")) {
            continue;  // virtual terminals, pseudo-terminals, the console
        }
        if (ReadAttribute(ttyClass + tty + "/type") == kNoUartType) {
            continue;
        }
        if (PathExists(environment.devRoot + "/" + tty)) {
            names.push_back(StableTtyName(environment.devRoot, tty));
        }
    }
}

void AddNumberedNodes(const std::string& folder, const std::string& prefix,
                      std::vector<std::string>& names) {
    for (const std::string& entry : ListFolder(folder)) {
        if (IsNumberedName(entry, prefix)) {
            names.push_back(folder + "/" + entry);
        }
    }
}

}  // namespace

std::vector<std::string> SocketQueueNames(SpoolerPorts& spooler) {
    std::vector<std::string> names;
    for (const SpoolerQueue& queue : spooler.Queues()) {
        if (!queue.name.empty() && ParseSocketUri(queue.deviceUri)) {
            names.push_back(queue.name);
        }
    }
    return names;
}

std::vector<std::string> SystemPortNames(const PortEnvironment& environment,
                                         SpoolerPorts& spooler) {
    std::vector<std::string> names;
    AddTtys(environment, names);
    AddNumberedNodes(environment.devRoot, "lp", names);
    AddNumberedNodes(environment.devRoot + "/usb", "lp", names);
    for (std::string& queue : SocketQueueNames(spooler)) {
        names.push_back(std::move(queue));
    }
    return names;
}

}  // namespace kestrel
