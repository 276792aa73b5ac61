// Where a record of the capture stands in the log pane's rendering of it, so a view that knows
// which bytes it means can select them in the pane.
#pragma once

#include <cstddef>
#include <optional>

#include "commlog/StyledText.h"
#include "commlog/TrafficCapture.h"

namespace kestrel {

struct TextSpan {
    size_t begin = 0;
    size_t end = 0;
};

// The text offsets of record `record`'s cell in its own direction's row of `content`, the
// rendering of `capture` in the given form; nullopt when the record is not shown there.
std::optional<TextSpan> CommLogRecordCell(const StyledText& content, const TrafficCapture& capture,
                                          int hexDisplay, int record);

}  // namespace kestrel
