#include "console/DialogInt.h"

#include <climits>
#include <cstdint>

namespace kestrel {

int ReadDialogInt(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    int64_t value = 0;
    bool digits = false;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        digits = true;
        value = value * 10 + (text[at] - '0');
        if (value > static_cast<int64_t>(INT_MAX) + 1) {
            return 0;
        }
    }
    if (!digits) {
        return 0;
    }
    value = negative ? -value : value;
    return (value < INT_MIN || value > INT_MAX) ? 0 : static_cast<int>(value);
}

}  // namespace kestrel
