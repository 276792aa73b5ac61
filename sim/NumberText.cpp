#include "sim/NumberText.h"

#include <charconv>

namespace kestrel {

bool ParseDecimal(std::string_view text, int64_t maximum, int64_t& value) {
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return false;
    }
    int64_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed > maximum) {
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace kestrel
