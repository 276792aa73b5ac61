#include "commlog/CommLogStyledRows.h"

#include <algorithm>
#include <cstring>

namespace kestrel {

void StyledRow::AppendPiece(std::string_view text, RowStyle style, bool inForce) {
    if (text.empty() || m_size + text.size() > kCapacity) {
        return;  // a block never grows this wide; never write past the row
    }
    const bool continues = m_pieceCount > 0 && m_pieces[m_pieceCount - 1].inForce == inForce &&
                           (inForce || m_pieces[m_pieceCount - 1].style == style);
    if (!continues) {
        m_pieces[m_pieceCount++] = Piece{static_cast<uint16_t>(m_size), style, inForce};
    }
    std::memcpy(m_text + m_size, text.data(), text.size());
    m_size += text.size();
}

void StyledRowWriter::WriteRow(const StyledRow& row) {
    for (size_t i = 0; i < row.m_pieceCount; ++i) {
        const StyledRow::Piece& piece = row.m_pieces[i];
        const size_t end = i + 1 < row.m_pieceCount ? row.m_pieces[i + 1].start : row.m_size;
        if (!piece.inForce) {
            m_style = piece.style;
        }
        WriteText(std::string_view(row.m_text + piece.start, end - piece.start), m_style);
    }
    if (row.m_setsStyle) {
        m_style = row.m_end;
    }
    WriteEmptyRow();
}

void StyledRowWriter::WriteText(std::string_view text, RowStyle style) {
    if (m_out.runs.empty() || m_out.runs.back().colour != style.colour ||
        m_out.runs.back().bold != style.bold) {
        m_out.runs.push_back(
            StyleRun{static_cast<uint32_t>(m_out.text.size()), style.colour, style.bold});
    }
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
