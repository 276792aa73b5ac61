// Feeds arbitrary bytes to the settings file reader, bare and under the file's header and key
// line, and checks that what it reads writes back into a file that reads the same again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryText.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool SameValues(const std::vector<kestrel::SettingsValue>& a,
                const std::vector<kestrel::SettingsValue>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].data != b[i].data) {
            return false;
        }
    }
    return true;
}

void CheckValues(const std::vector<kestrel::SettingsValue>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        Check(kestrel::IsWritableValueName(values[i].name));
        Check(values[i].data.size() <= kestrel::kRegistryMaxValueSize);
        for (size_t j = i + 1; j < values.size(); ++j) {
            Check(!kestrel::SameValueName(values[i].name, values[j].name));
        }
    }
    const std::vector<kestrel::SettingsValue> again =
        kestrel::ParseRegistryText(kestrel::FormatRegistryText(values));
    Check(SameValues(values, again));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckValues(kestrel::ParseRegistryText(input));
    const std::string underKey = std::string(kestrel::kRegistryHeader) + "\n\n" +
                                 std::string(kestrel::kSettingsKeyLine) + "\n" + std::string(input);
    CheckValues(kestrel::ParseRegistryText(underKey));
    return 0;
}
