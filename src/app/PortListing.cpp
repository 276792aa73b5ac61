#include "app/PortListing.h"

#include "platform/AsciiText.h"

namespace kestrel {
namespace {

// The dialog asks for this many names at most.
constexpr int kDialogPortNames = 50;

}  // namespace

std::vector<std::string> OfferedPortNames(IOComm& port) {
    std::vector<std::string> names;
    for (int i = 0; i < kDialogPortNames; ++i) {
        std::string name = port.GetPortName(i);
        if (name.empty()) {
            break;
        }
        AddToSortedListOnce(names, std::move(name));
    }
    return names;
}

std::string PortListText(const PortEnvironment& environment) {
    IOComm port(SystemClock(), environment);
    std::string text;
    for (const std::string& name : OfferedPortNames(port)) {
        text += name + "\n";
    }
    return text;
}

}  // namespace kestrel
