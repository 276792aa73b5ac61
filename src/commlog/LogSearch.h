// Finding in the log pane's rows: a text, or a run of bytes typed in hexadecimal, which is
// looked for in the traffic the blocks show (in either direction, across rows and blocks).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commlog/StyledText.h"

namespace kestrel {

// Part of one match in the pane's text.
struct MatchSpan {
    uint32_t offset = 0;
    uint32_t length = 0;
    uint32_t match = 0;  // which match it belongs to
    bool operator==(const MatchSpan&) const = default;
};

struct LogSearchResult {
    std::vector<MatchSpan> spans;  // in text order
    // The text offset each match starts at, in the order matches are visited: text order for
    // a text, traffic order for bytes.
    std::vector<uint32_t> matchStarts;
    size_t Count() const { return matchStarts.size(); }
};

// Bytes typed as pairs of hex digits, blanks allowed between bytes: "02 12", "0212". Nullopt
// when the text is anything else (or empty).
std::optional<std::string> ParseHexBytes(std::string_view typed);

// Every place the text occurs (ASCII letters compared without case), matches not overlapping.
LogSearchResult FindText(const StyledText& content, std::string_view needle);

// Every place the bytes occur in the traffic shown, in the hexadecimal or the text form. In the
// text form a printable "[" starting a control byte's name reads back as that control byte, as
// the pane shows both alike.
LogSearchResult FindBytes(const StyledText& content, std::string_view bytes);

}  // namespace kestrel
