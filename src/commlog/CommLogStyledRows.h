// The log pane's form of the rows the renderer writes: the same text and style runs that the RTF
// reader makes of the renderer's document, built beside the document so that the pane never has
// to read it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "commlog/StyledText.h"

namespace kestrel {

// The colour and weight in force, as the reader follows them through the document.
struct RowStyle {
    uint16_t colour = 0;
    uint8_t bold = 0;
    bool operator==(const RowStyle&) const = default;
};

// One row of the block being built: its text in pieces, each written in a style of its own or
// in the style in force when the row is written out (a piece without a colour word before it).
class StyledRow {
  public:
    // Room for the widest row a block can have.
    static constexpr size_t kCapacity = 128;

    void Append(std::string_view text, RowStyle style) { AppendPiece(text, style, false); }
    // For a caller that knows how the row's pieces follow each other: a piece of its own, or
    // text that continues the last piece (or starts the row in `style`).
    void AppendNewPiece(std::string_view text, RowStyle style) {
        if (m_size + text.size() <= kCapacity && m_pieceCount < kCapacity) {
            m_pieces[m_pieceCount++] = Piece{static_cast<uint16_t>(m_size), style, false};
            AppendBytes(text);
        }
    }
    void AppendToLastPiece(std::string_view text, RowStyle style) {
        if (m_pieceCount == 0) {
            AppendNewPiece(text, style);
        } else if (m_size + text.size() <= kCapacity) {
            AppendBytes(text);
        }
    }
    void AppendInStyleInForce(std::string_view text) { AppendPiece(text, RowStyle{}, true); }
    // The style the row's last style words leave in force.
    void EndIn(RowStyle style) {
        m_end = style;
        m_setsStyle = true;
    }
    void Clear() {
        m_size = 0;
        m_pieceCount = 0;
        m_setsStyle = false;
    }

  private:
    friend class StyledRowWriter;
    struct Piece {
        uint16_t start;
        RowStyle style;
        bool inForce;
    };
    // Inline, so that the pieces' sizes are known where they are copied: a block appends a few
    // bytes at a time, several times for each record. The members are read once and written
    // once, as the bytes written could otherwise be any of them.
    void AppendPiece(std::string_view text, RowStyle style, bool inForce) {
        const size_t size = m_size;
        if (text.empty() || size + text.size() > kCapacity) {
            return;  // a block never grows this wide; never write past the row
        }
        const size_t count = m_pieceCount;
        const bool continues = count > 0 && m_pieces[count - 1].inForce == inForce &&
                               (inForce || m_pieces[count - 1].style == style);
        if (!continues) {
            m_pieces[count] = Piece{static_cast<uint16_t>(size), style, inForce};
            m_pieceCount = count + 1;
        }
        std::memcpy(m_text + size, text.data(), text.size());
        m_size = size + text.size();
    }
    void AppendBytes(std::string_view text) {
        const size_t size = m_size;
        std::memcpy(m_text + size, text.data(), text.size());
        m_size = size + text.size();
    }

    char m_text[kCapacity];
    size_t m_size = 0;
    Piece m_pieces[kCapacity];
    size_t m_pieceCount = 0;
    RowStyle m_end;
    bool m_setsStyle = false;
};

// Writes rows into a StyledText as the reader would: a run opens where the style changes, and
// each row ends with the blank and the line break of its " \par ".
class StyledRowWriter {
  public:
    StyledRowWriter(StyledText& out, RowStyle inForce) : m_out(out), m_style(inForce) {}

    void WriteRow(const StyledRow& row);
    // A row end with nothing before it: the blank and the line break.
    void WriteEmptyRow() {
        WriteText(" ", m_style);
        NewLine();
    }
    // The last line, after the document's closing " \par ".
    void Finish();
    RowStyle StyleInForce() const { return m_style; }

  private:
    void WriteText(std::string_view text, RowStyle style);
    // Opens a run at text offset `start` unless the last run already has the style.
    void OpenRun(size_t start, RowStyle style);
    void NewLine();

    StyledText& m_out;
    RowStyle m_style;
};

}  // namespace kestrel
