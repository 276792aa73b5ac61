// Where a new rendering's lines differ from the ones a pane shows, so the pane paints only
// those: an open block that grew by a few bytes changes only the ends of its rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "commlog/StyledText.h"

namespace kestrel {

struct ChangedLine {
    size_t line = 0;
    size_t firstColumn = 0;  // the columns before it show the same characters in the same style
};

struct StyledTextChanges {
    // Lines present before and after that differ, in line order.
    std::vector<ChangedLine> lines;
    // From this line on, lines were added or removed: each of them is changed as a whole.
    size_t wholeFrom = SIZE_MAX;

    static StyledTextChanges Everything() { return StyledTextChanges{{}, 0}; }
};

// Compares `before` and `after` line by line from `firstLine` on; lines before it are taken as
// unchanged. Both must use the same colour table.
StyledTextChanges CompareLines(const StyledText& before, const StyledText& after, size_t firstLine);

}  // namespace kestrel
