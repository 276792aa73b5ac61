#include "commlog/CommLogRecordPlace.h"

#include <algorithm>

#include "commlog/CommLogRenderer.h"

namespace kestrel {

std::optional<TextSpan> CommLogRecordCell(const StyledText& content, const TrafficCapture& capture,
                                          int hexDisplay, int record) {
    const int start = std::max(capture.m_trafficFirstShown, 0);
    const int end = std::clamp(capture.m_trafficCount, 0, kTrafficCapacity);
    if (record < start || record >= end) {
        return std::nullopt;
    }
    // The same walk as the rendering's: a block closes after the cell that takes it past the
    // limit.
    size_t block = 0;
    int column = 0;
    for (int i = start; i < record; ++i) {
        const TrafficRecord& before = capture.m_traffic[i];
        if (before.direction != TrafficSent && before.direction != TrafficReceived) {
            return std::nullopt;  // the rendering stops at such a record
        }
        column += CommLogCellWidth(static_cast<uint8_t>(before.value), hexDisplay);
        if (column > kCommLogBlockWidthLimit) {
            ++block;
            column = 0;
        }
    }
    const TrafficRecord& wanted = capture.m_traffic[record];
    if (wanted.direction != TrafficSent && wanted.direction != TrafficReceived) {
        return std::nullopt;
    }
    const size_t line = block * kCommLogLinesPerBlock + (wanted.direction == TrafficSent ? 0 : 1);
    const auto width =
        static_cast<size_t>(CommLogCellWidth(static_cast<uint8_t>(wanted.value), hexDisplay));
    if (line >= content.LineCount() || column + width > content.Line(line).size()) {
        return std::nullopt;
    }
    const size_t begin = content.lineStarts[line] + static_cast<size_t>(column);
    return TextSpan{begin, begin + width};
}

}  // namespace kestrel
