#include "port/DosDeviceNames.h"

#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/AsciiText.h"
#include "platform/NumberText.h"

namespace kestrel {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr size_t kMaxPortNumberDigits = 6;

struct DosFamily {
    std::string_view prefix;
    std::string_view device;  // under the device folder, numbered from 0
};
constexpr DosFamily kFamilies[] = {{"COM", "ttyS"}, {"LPT", "lp"}};

// The n of "COMn" (n from 1), or nothing when the rest is not a plain number.
std::optional<unsigned> PortNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > kMaxPortNumberDigits) {
        return std::nullopt;
    }
    const std::optional<uint64_t> number = ReadDecimal(digits, UINT32_MAX);
    return number && *number >= 1 ? std::optional<unsigned>(static_cast<unsigned>(*number))
                                  : std::nullopt;
}

// The zero-terminated text of a string value, or "" when it is missing or too long.
std::string MappedPath(const SettingsKey* key, const std::string& valueName) {
    if (key == nullptr) {
        return "";
    }
    char buffer[PATH_MAX] = {};
    size_t size = 0;
    if (!key->ReadBinary(valueName, buffer, sizeof buffer - 1, &size)) {
        return "";
    }
    return std::string(buffer, strnlen(buffer, size));
}

}  // namespace

std::string DosDeviceName(const std::string& portName) {
    std::string_view name = portName;
    if (name.substr(0, kDevicePrefix.size()) == kDevicePrefix) {
        name.remove_prefix(kDevicePrefix.size());
    }
    if (!name.empty() && name.back() == ':') {
        name.remove_suffix(1);
    }
    return std::string(name);
}

std::string DeviceForPortName(const std::string& portName, const SettingsKey* key,
                              const std::string& devRoot) {
    const std::string name = DosDeviceName(portName);
    if (!name.empty() && name.front() == '/') {
        return name;
    }
    for (const DosFamily& family : kFamilies) {
        if (!StartsWithNoCase(name, family.prefix)) {
            continue;
        }
        const std::optional<unsigned> number =
            PortNumber(std::string_view(name).substr(family.prefix.size()));
        if (!number) {
            break;
        }
        const std::string canonical = std::string(family.prefix) + std::to_string(*number);
        const std::string mapped = MappedPath(key, canonical);
        if (!mapped.empty()) {
            return mapped;
        }
        return devRoot + "/" + std::string(family.device) + std::to_string(*number - 1);
    }
    // Any other name is a device node ("\\.\Van0" is <devRoot>/Van0), never a file of the
    // current folder; a relative path, or one that climbs out with "..", is refused.
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find("..") != std::string::npos) {
        return "";
    }
    return devRoot + "/" + name;
}

}  // namespace kestrel
