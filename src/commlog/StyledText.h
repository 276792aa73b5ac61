// The log pane's content in compact form: all text in one string (code page 1252, a line feed
// after each paragraph), where each line starts, and the styled runs over the text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct TextColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool automatic = true;  // the table's "auto" entry: the pane's own text colour
    bool operator==(const TextColour&) const = default;
};

// From `start` on, until the next run, the text has this colour (index into the colour table,
// 0 or an index past the table meaning the pane's text colour) and weight.
struct StyleRun {
    uint32_t start = 0;
    uint16_t colour = 0;
    uint8_t bold = 0;
    bool operator==(const StyleRun&) const = default;
};

struct StyledText {
    std::string text;
    std::vector<uint32_t> lineStarts{0};
    std::vector<StyleRun> runs;
    std::vector<TextColour> colours;
    size_t longestLine = 0;

    bool operator==(const StyledText&) const = default;
    void Clear() {
        text.clear();
        lineStarts.assign(1, 0);
        runs.clear();
        colours.clear();
        longestLine = 0;
    }
    size_t LineCount() const { return lineStarts.size(); }
    // The line's text without its line feed.
    std::string_view Line(size_t line) const {
        const size_t begin = lineStarts[line];
        const size_t end = line + 1 < lineStarts.size() ? lineStarts[line + 1] - 1 : text.size();
        return std::string_view(text).substr(begin, end - begin);
    }
    // The index of the run that covers text offset `offset` (runs must not be empty).
    size_t RunAt(size_t offset) const;
    // The line that holds text offset `offset`.
    size_t LineAt(size_t offset) const;
};

}  // namespace kestrel
