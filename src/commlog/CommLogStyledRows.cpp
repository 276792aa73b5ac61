#include "commlog/CommLogStyledRows.h"

#include <algorithm>

namespace kestrel {

void StyledRowWriter::WriteRow(const StyledRow& row) {
    // The runs first, at most one for each piece, then the row's text in one copy. The styles
    // are followed in locals: a style stored field by field and read back whole waits for the
    // stores every time.
    const size_t base = m_out.text.size();
    std::vector<StyleRun>& runs = m_out.runs;
    size_t count = runs.size();
    bool haveLast = count > 0;
    RowStyle last = haveLast ? RowStyle{runs[count - 1].colour, runs[count - 1].bold} : RowStyle{};
    runs.resize(count + row.m_pieceCount);
    RowStyle style = m_style;
    for (size_t i = 0; i < row.m_pieceCount; ++i) {
        const StyledRow::Piece& piece = row.m_pieces[i];
        if (!piece.inForce) {
            style = piece.style;
        }
        if (!haveLast || !(style == last)) {
            runs[count++] =
                StyleRun{static_cast<uint32_t>(base + piece.start), style.colour, style.bold};
            last = style;
            haveLast = true;
        }
    }
    runs.resize(count);
    m_out.text.append(row.m_text, row.m_size);
    if (row.m_setsStyle) {
        style = row.m_end;
    }
    m_style = style;
    WriteText(" ", style);
    NewLine();
}

void StyledRowWriter::OpenRun(size_t start, RowStyle style) {
    if (m_out.runs.empty() || m_out.runs.back().colour != style.colour ||
        m_out.runs.back().bold != style.bold) {
        m_out.runs.push_back(StyleRun{static_cast<uint32_t>(start), style.colour, style.bold});
    }
}

void StyledRowWriter::WriteText(std::string_view text, RowStyle style) {
    OpenRun(m_out.text.size(), style);
    m_out.text.append(text);
}

void StyledRowWriter::NewLine() {
    m_out.longestLine =
        std::max<size_t>(m_out.longestLine, m_out.text.size() - m_out.lineStarts.back());
    m_out.text.push_back('\n');
    m_out.lineStarts.push_back(static_cast<uint32_t>(m_out.text.size()));
}

void StyledRowWriter::Finish() {
    m_out.longestLine =
        std::max<size_t>(m_out.longestLine, m_out.text.size() - m_out.lineStarts.back());
}

}  // namespace kestrel
