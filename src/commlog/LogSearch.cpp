#include "commlog/LogSearch.h"

#include <algorithm>

#include "notation/ControlCodeTable.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

// Lines of a block: sent row, received row, time row, empty line.
constexpr size_t kLinesPerBlock = 4;
constexpr size_t kHexCellWidth = 4;
constexpr size_t kHexDigitsShown = 2;
constexpr size_t kHighByteWidth = 6;    // "<0xHH>"
constexpr size_t kLongestNameCell = 6;  // "[NULL]"

// One byte of the traffic as a block shows it: its value and the cell that shows it.
struct ShownByte {
    uint8_t value;
    uint32_t offset;
    uint32_t length;
};

class BlockReader {
  public:
    explicit BlockReader(const StyledText& content) : m_content(content) {}

    // The bytes of the block whose sent row is `line`; empty when the lines are no block.
    void Read(size_t line, std::vector<ShownByte>& out) const {
        const std::string_view rows[2] = {m_content.Line(line), m_content.Line(line + 1)};
        const size_t starts[2] = {m_content.lineStarts[line], m_content.lineStarts[line + 1]};
        // The hexadecimal form's time row shows the deltas; the text form's is blank.
        const bool hexForm =
            line + 2 < m_content.LineCount() &&
            m_content.Line(line + 2).find_first_not_of(' ') != std::string_view::npos;
        size_t column = 0;
        while (column < rows[0].size() && column < rows[1].size()) {
            const bool bold[2] = {IsBold(starts[0] + column), IsBold(starts[1] + column)};
            if (bold[0] == bold[1]) {
                return;  // a byte is bold in exactly one row; here the block ends
            }
            const int own = bold[0] ? 0 : 1;
            size_t width = 0;
            size_t shown = 0;
            const std::optional<uint8_t> value =
                hexForm ? ReadHexCell(rows[own], starts[own], column, width, shown)
                        : ReadTextCell(rows[own], column, width, shown);
            if (!value || !Dotted(rows[1 - own], column, width)) {
                return;
            }
            out.push_back(ShownByte{*value, static_cast<uint32_t>(starts[own] + column),
                                    static_cast<uint32_t>(shown)});
            column += width;
        }
    }

  private:
    bool IsBold(size_t offset) const {
        return !m_content.runs.empty() && m_content.runs[m_content.RunAt(offset)].bold != 0;
    }

    static bool Dotted(std::string_view row, size_t column, size_t width) {
        return column + width <= row.size() &&
               row.substr(column, width).find_first_not_of('.') == std::string_view::npos;
    }

    // The byte of the cell at `column` of its own row, with the cell's width and the width of
    // what shows the byte: two bold digits, then two plain dots.
    std::optional<uint8_t> ReadHexCell(std::string_view row, size_t start, size_t column,
                                       size_t& width, size_t& shown) const {
        const std::string_view cell = row.substr(column);
        if (cell.size() < kHexCellWidth || cell.substr(kHexDigitsShown, 2) != ".." ||
            !IsBold(start + column + 1) || IsBold(start + column + kHexDigitsShown)) {
            return std::nullopt;
        }
        const auto high = HexDigitValue(cell[0]);
        const auto low = HexDigitValue(cell[1]);
        if (!high || !low) {
            return std::nullopt;
        }
        width = kHexCellWidth;
        shown = kHexDigitsShown;
        return static_cast<uint8_t>(*high << 4 | *low);
    }

    // A control byte's name in brackets, a high byte as <0xHH>, or the character itself.
    static std::optional<uint8_t> ReadTextCell(std::string_view row, size_t column, size_t& width,
                                               size_t& shown) {
        const std::string_view cell = row.substr(column);
        if (cell.size() >= kHighByteWidth && cell.substr(0, 3) == "<0x" && cell[5] == '>') {
            const auto high = HexDigitValue(cell[3]);
            const auto low = HexDigitValue(cell[4]);
            if (high && low) {
                width = shown = kHighByteWidth;
                return static_cast<uint8_t>(*high << 4 | *low);
            }
        }
        if (cell[0] == '[') {
            const size_t close = cell.substr(0, kLongestNameCell).find(']');
            if (close != std::string_view::npos) {
                const std::string_view name = cell.substr(1, close - 1);
                for (int code = 0; code < kControlCodeCount; ++code) {
                    if (name == ControlCodeName(static_cast<uint8_t>(code))) {
                        width = shown = close + 1;
                        return static_cast<uint8_t>(code);
                    }
                }
            }
        }
        width = shown = 1;
        return static_cast<uint8_t>(cell[0]);
    }

    const StyledText& m_content;
};

void SortSpans(LogSearchResult& result) {
    std::sort(result.spans.begin(), result.spans.end(),
              [](const MatchSpan& a, const MatchSpan& b) { return a.offset < b.offset; });
}

}  // namespace

std::optional<std::string> ParseHexBytes(std::string_view typed) {
    std::string bytes;
    std::optional<uint8_t> high;
    for (const char c : typed) {
        if (c == ' ') {
            if (high) {
                return std::nullopt;  // blanks only between whole bytes
            }
            continue;
        }
        const std::optional<uint8_t> digit = HexDigitValue(c);
        if (!digit) {
            return std::nullopt;
        }
        if (high) {
            bytes.push_back(static_cast<char>(*high << 4 | *digit));
            high.reset();
        } else {
            high = digit;
        }
    }
    if (high || bytes.empty()) {
        return std::nullopt;
    }
    return bytes;
}

LogSearchResult FindText(const StyledText& content, std::string_view needle) {
    LogSearchResult result;
    if (needle.empty()) {
        return result;
    }
    const std::string_view text = content.text;
    const auto same = [](char a, char b) { return LowerAscii(a) == LowerAscii(b); };
    auto at = text.begin();
    while (true) {
        at = std::search(at, text.end(), needle.begin(), needle.end(), same);
        if (at == text.end()) {
            break;
        }
        const auto offset = static_cast<uint32_t>(at - text.begin());
        const auto match = static_cast<uint32_t>(result.matchStarts.size());
        result.spans.push_back(MatchSpan{offset, static_cast<uint32_t>(needle.size()), match});
        result.matchStarts.push_back(offset);
        at += static_cast<std::ptrdiff_t>(needle.size());
    }
    return result;
}

LogSearchResult FindBytes(const StyledText& content, std::string_view bytes) {
    LogSearchResult result;
    if (bytes.empty()) {
        return result;
    }
    std::vector<ShownByte> shown;
    const BlockReader reader(content);
    for (size_t line = 0; line + 1 < content.LineCount(); line += kLinesPerBlock) {
        reader.Read(line, shown);
    }
    size_t at = 0;
    while (at + bytes.size() <= shown.size()) {
        bool found = true;
        for (size_t i = 0; i < bytes.size() && found; ++i) {
            found = shown[at + i].value == static_cast<uint8_t>(bytes[i]);
        }
        if (!found) {
            ++at;
            continue;
        }
        const auto match = static_cast<uint32_t>(result.matchStarts.size());
        result.matchStarts.push_back(shown[at].offset);
        for (size_t i = 0; i < bytes.size(); ++i) {
            result.spans.push_back(MatchSpan{shown[at + i].offset, shown[at + i].length, match});
        }
        at += bytes.size();
    }
    SortSpans(result);
    return result;
}

}  // namespace kestrel
