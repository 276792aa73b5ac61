#include "port/SpoolerPorts.h"

#include <cups/cups.h>

namespace kestrel {

namespace {
constexpr const char* kDeviceUriOption = "device-uri";
}  // namespace

std::vector<SpoolerQueue> SpoolerPorts::Queues() {
    std::vector<SpoolerQueue> queues;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        if (dest.name == nullptr || dest.instance != nullptr) {
            continue;  // instances share their queue's device
        }
        const char* uri = cupsGetOption(kDeviceUriOption, dest.num_options, dest.options);
        queues.push_back(SpoolerQueue{dest.name, uri != nullptr ? uri : ""});
    }
    cupsFreeDests(count, dests);
    return queues;
}

SpoolerPorts& SystemSpooler() {
    static SpoolerPorts spooler;
    return spooler;
}

}  // namespace kestrel
