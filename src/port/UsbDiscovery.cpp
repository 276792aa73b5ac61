// The printer's USB ports: the virtual COM port of its first interface, and the printer-class
// node behind a USBnnn name. Both are found in sysfs.

#include "platform/AsciiText.h"
#include "port/IOComm.h"
#include "port/SysfsTree.h"

namespace kestrel {

namespace {

constexpr const char* kPrinterVendorId = "0a7e";
constexpr const char* kPrinterProductId = "2000";
constexpr const char* kVirtualComInterface = "00";
constexpr const char* kUsbPrinterNodePrefix = "lp";
// USBnnn: the port number is in the last three characters of the name.
constexpr size_t kUsbPortNumberDigits = 3;
// More digits than this in a node name cannot be a real node (and would not fit a long).
constexpr size_t kMaxNodeNumberDigits = 9;

bool AttributeIs(const std::string& path, const char* expected) {
    const std::optional<std::string> value = ReadAttribute(path);
    return value && EqualsNoCase(*value, expected);
}

std::string ParentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

// Interface 0 of the printer's composite device, which carries its virtual COM port.
bool IsVirtualComInterface(const std::string& interfacePath) {
    const std::string device = ParentOf(interfacePath);
    return !device.empty() &&
           AttributeIs(interfacePath + "/bInterfaceNumber", kVirtualComInterface) &&
           AttributeIs(device + "/idVendor", kPrinterVendorId) &&
           AttributeIs(device + "/idProduct", kPrinterProductId);
}

// The resolved folders of every such interface, in the order of their bus names.
std::vector<std::string> VirtualComInterfaces(const std::string& sysfsRoot) {
    std::vector<std::string> interfaces;
    const std::string devices = sysfsRoot + "/bus/usb/devices/";
    for (const std::string& entry : ListFolder(devices)) {
        const std::string resolved = ResolvePath(devices + entry);
        if (!resolved.empty() && IsVirtualComInterface(resolved)) {
            interfaces.push_back(resolved);
        }
    }
    return interfaces;
}

// The tty whose device is the interface or sits below it; empty when there is none.
std::string TtyOfInterface(const std::string& sysfsRoot, const std::string& interfacePath) {
    const std::string ttyClass = sysfsRoot + "/class/tty/";
    for (const std::string& tty : ListFolder(ttyClass)) {
        const std::string device = ResolvePath(ttyClass + tty + "/device");
        if (!device.empty() &&
            (device == interfacePath || device.rfind(interfacePath + "/", 0) == 0)) {
            return tty;
        }
    }
    return "";
}

// "lpN" at the end of a device path gives N; -1 for any other path.
long PrinterNodeNumber(const std::string& devicePath, std::string* nodeName) {
    const size_t slash = devicePath.rfind('/');
    *nodeName = slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
    if (!IsNumberedName(*nodeName, kUsbPrinterNodePrefix) ||
        nodeName->size() >
            std::char_traits<char>::length(kUsbPrinterNodePrefix) + kMaxNodeNumberDigits) {
        return -1;
    }
    return std::stol(nodeName->substr(std::char_traits<char>::length(kUsbPrinterNodePrefix)));
}

// The decimal digits at the start of the last three characters of the port name.
long PortNameNumber(const std::string& port) {
    const size_t start =
        port.size() > kUsbPortNumberDigits ? port.size() - kUsbPortNumberDigits : 0;
    long value = 0;
    for (size_t i = start; i < port.size() && port[i] >= '0' && port[i] <= '9'; ++i) {
        value = value * 10 + (port[i] - '0');
    }
    return value;
}

}  // namespace

std::string IOComm::UsbSerialPortName(int index) {
    if (index < 0) {
        return "";
    }
    const std::vector<std::string> interfaces = VirtualComInterfaces(m_environment.sysfsRoot);
    if (static_cast<size_t>(index) >= interfaces.size()) {
        return "";
    }
    // As with the driver's published port numbers, an interface without its tty ends the
    // source, even when later ones have one.
    const std::string tty =
        TtyOfInterface(m_environment.sysfsRoot, interfaces[static_cast<size_t>(index)]);
    return tty.empty() ? "" : StableTtyName(m_environment.devRoot, tty);
}

int IOComm::FindUsbPrinterPath() {
    const std::string usbmisc = m_environment.sysfsRoot + "/class/usbmisc/";
    for (const std::string& node : ListFolder(usbmisc)) {
        if (!IsNumberedName(node, kUsbPrinterNodePrefix)) {
            continue;
        }
        m_usbDevicePath = m_environment.devRoot + "/usb/" + node;
        if (UsbPortNumberMatches(m_usbDevicePath)) {
            return 1;
        }
    }
    return 0;
}

int IOComm::UsbPortNumberMatches(const std::string& devicePath) {
    std::string nodeName;
    const long number = PrinterNodeNumber(devicePath, &nodeName);
    if (number < 0 || !PathExists(m_environment.sysfsRoot + "/class/usbmisc/" + nodeName)) {
        return 0;
    }
    return number + 1 == PortNameNumber(m_port) ? 1 : 0;
}

}  // namespace kestrel
