#include "commlog/StyledText.h"

#include <algorithm>

namespace kestrel {

size_t StyledText::RunAt(size_t offset) const {
    const auto after =
        std::upper_bound(runs.begin(), runs.end(), offset,
                         [](size_t value, const StyleRun& run) { return value < run.start; });
    return after == runs.begin() ? 0 : static_cast<size_t>(after - runs.begin()) - 1;
}

size_t StyledText::LineAt(size_t offset) const {
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    return static_cast<size_t>(after - lineStarts.begin()) - 1;
}

}  // namespace kestrel
