#include "port/SpoolerPorts.h"

#include <cups/cups.h>

namespace kestrel {

namespace {

constexpr const char* kNameAttribute = "printer-name";
constexpr const char* kDeviceUriAttribute = "device-uri";

// The text of a one-value attribute, or empty.
std::string AttributeText(ipp_attribute_t* attribute) {
    const char* text = ippGetString(attribute, 0, nullptr);
    return text != nullptr ? text : "";
}

}  // namespace

// Asks the local scheduler for its own queues only (no browsing of the network for printers,
// which could take a second on every call), with just the two attributes needed.
std::vector<SpoolerQueue> SpoolerPorts::Queues() {
    std::vector<SpoolerQueue> queues;
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char* const kRequested[] = {kNameAttribute, kDeviceUriAttribute};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                  kRequested);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");  // frees the request
    if (response == nullptr) {
        return queues;
    }
    ipp_attribute_t* attribute = ippFirstAttribute(response);
    while (attribute != nullptr) {
        while (attribute != nullptr && ippGetGroupTag(attribute) != IPP_TAG_PRINTER) {
            attribute = ippNextAttribute(response);
        }
        SpoolerQueue queue;
        while (attribute != nullptr && ippGetGroupTag(attribute) == IPP_TAG_PRINTER) {
            const char* name = ippGetName(attribute);
            if (name != nullptr && std::string(name) == kNameAttribute) {
                queue.name = AttributeText(attribute);
            } else if (name != nullptr && std::string(name) == kDeviceUriAttribute) {
                queue.deviceUri = AttributeText(attribute);
            }
            attribute = ippNextAttribute(response);
        }
        if (!queue.name.empty()) {
            queues.push_back(std::move(queue));
        }
    }
    ippDelete(response);
    return queues;
}

SpoolerPorts& SystemSpooler() {
    static SpoolerPorts spooler;
    return spooler;
}

}  // namespace kestrel
