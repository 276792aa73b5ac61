#include "commlog/StyledTextChanges.h"

#include <algorithm>
#include <string_view>

namespace kestrel {
namespace {

// Walks the style runs of one line offset by offset.
class RunCursor {
  public:
    RunCursor(const StyledText& content, size_t offset)
        : m_runs(content.runs), m_run(content.runs.empty() ? 0 : content.RunAt(offset)) {}

    StyleRun At(size_t offset) {
        if (m_runs.empty()) {
            return StyleRun{};
        }
        while (m_run + 1 < m_runs.size() && m_runs[m_run + 1].start <= offset) {
            ++m_run;
        }
        StyleRun style = m_runs[m_run];
        style.start = 0;  // only the look counts, not where the run began
        return style;
    }

  private:
    const std::vector<StyleRun>& m_runs;
    size_t m_run;
};

// The first column where the two lines show something different, or SIZE_MAX when none.
size_t FirstDifference(const StyledText& before, const StyledText& after, size_t line) {
    const std::string_view old = before.Line(line);
    const std::string_view now = after.Line(line);
    const size_t oldStart = before.lineStarts[line];
    const size_t newStart = after.lineStarts[line];
    RunCursor oldRuns(before, oldStart);
    RunCursor newRuns(after, newStart);
    const size_t common = std::min(old.size(), now.size());
    for (size_t column = 0; column < common; ++column) {
        if (old[column] != now[column] ||
            oldRuns.At(oldStart + column) != newRuns.At(newStart + column)) {
            return column;
        }
    }
    return old.size() == now.size() ? SIZE_MAX : common;
}

}  // namespace

StyledTextChanges CompareLines(const StyledText& before, const StyledText& after,
                               size_t firstLine) {
    StyledTextChanges changes;
    const size_t common = std::min(before.LineCount(), after.LineCount());
    for (size_t line = firstLine; line < common; ++line) {
        const size_t column = FirstDifference(before, after, line);
        if (column != SIZE_MAX) {
            changes.lines.push_back(ChangedLine{line, column});
        }
    }
    if (before.LineCount() != after.LineCount()) {
        changes.wholeFrom = std::max(common, firstLine);
    }
    return changes;
}

}  // namespace kestrel
