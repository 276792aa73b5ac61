// The port list offered to the operator and the look-up of TCP/IP port names.

#include <set>

#include "platform/AsciiText.h"
#include "port/DosDeviceNames.h"
#include "port/IOComm.h"
#include "port/RememberedTcpText.h"
#include "port/SocketUri.h"
#include "port/SpoolerPorts.h"
#include "port/SysfsTree.h"
#include "port/SystemPortList.h"

namespace kestrel {

namespace {

// The list has room for this many positions; skipped entries take a position too.
constexpr int kPortListPositions = 50;
// Only this many spooler queues are searched for a TCP/IP port name.
constexpr size_t kSpoolerQueueLimit = 500;
constexpr std::string_view kFilePortPrefix = "FILE";

bool IsFilePort(const std::string& name) {
    return StartsWithNoCase(name, kFilePortPrefix);
}

// Listing only reads: a missing settings file is not created for it (--list-ports).
std::unique_ptr<SettingsKey> ReadOnlySettings() {
    return SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::ReadOnly);
}

// A device path names itself; a DOS-style COM port number gets the device colon.
std::string OfferedUsbSerialName(const std::string& name) {
    return !name.empty() && name.front() == '/' ? name : name + ":";
}

}  // namespace

SpoolerPorts& IOComm::Spooler() {
    return m_environment.spooler != nullptr ? *m_environment.spooler : SystemSpooler();
}

std::string IOComm::GetPortName(int index) {
    int position = 0;
    int listed = 0;
    std::string found;
    // A device reached by several names (a tty and its by-id link, or a tty that is both a
    // system port and the printer's virtual COM port) is offered once.
    std::set<std::string> offeredDevices;
    // Counts one offered name that reaches the device at `path` (empty: none); true when it is
    // the one asked for.
    const auto offerDevice = [&](const std::string& name, const std::string& path) {
        const std::string device = path.empty() ? std::string() : ResolvePath(path);
        if (!device.empty() && !offeredDevices.insert(device).second) {
            ++position;
            return false;
        }
        if (listed == index) {
            found = name;
            return true;
        }
        ++listed;
        ++position;
        return false;
    };
    const auto offer = [&](const std::string& name) {
        return offerDevice(name, !name.empty() && name.front() == '/' ? name : std::string());
    };
    // The DOS names that the settings key maps come first: the user has named those ports.
    {
        const std::unique_ptr<SettingsKey> key = ReadOnlySettings();
        for (const std::string& name : MappedDosPortNames(key.get())) {
            if (offerDevice(name, DeviceForPortName(name, key.get(), m_environment.devRoot))) {
                return found;
            }
        }
    }
    for (const std::string& name : SystemPortNames(m_environment, Spooler())) {
        if (IsFilePort(name)) {
            ++position;
        } else if (offer(name)) {
            return found;
        }
    }
    for (int k = 0; position < kPortListPositions; ++k) {
        const std::string name = UsbSerialPortName(k);
        if (name.empty()) {
            break;
        }
        if (offer(OfferedUsbSerialName(name))) {
            return found;
        }
    }
    for (int l = 0; position < kPortListPositions; ++l) {
        const std::string name = RememberedTcpPort(l);
        if (name.empty()) {
            break;
        }
        if (offer(name)) {
            return found;
        }
    }
    return "";
}

std::string IOComm::RememberedTcpPort(int index) {
    if (index < 0) {
        return "";
    }
    uint8_t value[kRememberedTcpSize]{};
    if (std::unique_ptr<SettingsKey> key = ReadOnlySettings()) {
        if (!key->ReadBinary(kRememberedTcpValue, value, sizeof value)) {
            return "";
        }
    }
    const std::vector<std::string> entries = RememberedTcpEntries(value, sizeof value);
    return static_cast<size_t>(index) < entries.size() ? entries[static_cast<size_t>(index)] : "";
}

std::string IOComm::ResolveTcpPort(const std::string& name) {
    if (!name.empty() && name.front() >= '0' && name.front() <= '9') {
        return name;
    }
    const std::vector<SpoolerQueue> queues = Spooler().Queues();
    for (size_t i = 0; i < queues.size() && i < kSpoolerQueueLimit; ++i) {
        const SpoolerQueue& queue = queues[i];
        const std::optional<SocketAddress> address = ParseSocketUri(queue.deviceUri);
        if (!address || queue.name.empty() || name.compare(0, queue.name.size(), queue.name) != 0) {
            continue;
        }
        return address->host + ":" + std::to_string(address->port);
    }
    return "";
}

}  // namespace kestrel
