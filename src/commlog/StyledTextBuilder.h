// Appends text to a StyledText: opens a run where the style changes, breaks lines, expands tabs
// to the pane's fixed columns and drops control characters.
#pragma once

#include <cstdint>
#include <string_view>

#include "commlog/StyledText.h"

namespace kestrel {

class StyledTextBuilder {
  public:
    // Clears `out` (keeping its storage) and starts writing into it.
    explicit StyledTextBuilder(StyledText& out);

    void SetStyle(uint16_t colour, uint8_t bold) {
        m_colour = colour;
        m_bold = bold;
    }
    // Text without line breaks, tabs or other control characters.
    void AppendPlain(std::string_view text);
    // Any one character: a line feed breaks the line, a tab moves to the next tab stop, other
    // control characters are dropped.
    void AppendChar(uint8_t c);
    void NewLine();
    void Tab();
    // Records the length of the last line; call once at the end.
    void Finish();

  private:
    void OpenRunIfStyleChanged();
    void NoteLineLength();

    StyledText& m_out;
    uint16_t m_colour = 0;
    uint8_t m_bold = 0;
};

}  // namespace kestrel
