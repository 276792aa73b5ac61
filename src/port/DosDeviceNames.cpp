#include "port/DosDeviceNames.h"

#include <algorithm>
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

// The DOS name a family gives number n ("COM" and 3: "COM3").
std::string CanonicalName(const DosFamily& family, unsigned number) {
    return std::string(family.prefix) + std::to_string(number);
}

// The family and number of a DOS name such as "com3" (case ignored), or nothing.
std::optional<std::pair<const DosFamily*, unsigned>> ParseDosName(std::string_view name) {
    for (const DosFamily& family : kFamilies) {
        if (StartsWithNoCase(name, family.prefix)) {
            if (const std::optional<unsigned> number =
                    PortNumber(name.substr(family.prefix.size()))) {
                return std::make_pair(&family, *number);
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
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
    if (const auto dos = ParseDosName(name)) {
        const auto [family, number] = *dos;
        const std::string mapped = MappedPath(key, CanonicalName(*family, number));
        if (!mapped.empty()) {
            return mapped;
        }
        return devRoot + "/" + std::string(family->device) + std::to_string(number - 1);
    }
    // Any other name is a device node ("\\.\Van0" is <devRoot>/Van0), never a file of the
    // current folder; a relative path, or one that climbs out with "..", is refused.
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find("..") != std::string::npos) {
        return "";
    }
    return devRoot + "/" + name;
}

std::vector<std::string> MappedDosPortNames(const SettingsKey* key) {
    std::vector<std::string> names;
    if (key == nullptr) {
        return names;
    }
    for (const std::string& valueName : key->ValueNames()) {
        const auto dos = ParseDosName(valueName);
        if (!dos) {
            continue;
        }
        const std::string name = CanonicalName(*dos->first, dos->second);
        if (!MappedPath(key, name).empty() &&
            std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(name);
        }
    }
    return names;
}

}  // namespace kestrel
