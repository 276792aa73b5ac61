// The one mapping from the port names of the console (COMn, \\.\COMn, LPTn:, device paths) to
// the device paths of this system. The settings key can redirect a DOS name: a string value
// named like the port ("COM3" = "/dev/pts/4", "LPT1" = "/dev/usb/lp0") wins over the default.
#pragma once

#include <string>
#include <vector>

#include "platform/SettingsKey.h"

namespace kestrel {

// The name without a leading "\\.\" and a trailing ":" ("\\.\COM3" and "COM3:" give "COM3").
std::string DosDeviceName(const std::string& portName);

// The device path for a port name: a name beginning with "/" is a path already; COMn is the
// key's value "COMn" when there is one, else <devRoot>/ttyS(n-1); LPTn likewise, else
// <devRoot>/lp(n-1); any other name is the node of that name under devRoot. A name that holds a
// "/" without beginning with one, or "..", is refused: the result is empty. `key` may be null.
std::string DeviceForPortName(const std::string& portName, const SettingsKey* key,
                              const std::string& devRoot = "/dev");

// The DOS names ("COM3", "LPT1") that the key maps to a device path, in the key's order: ports
// the user has named. `key` may be null.
std::vector<std::string> MappedDosPortNames(const SettingsKey* key);

}  // namespace kestrel
