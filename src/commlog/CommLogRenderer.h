// Builds the RTF dump of the traffic capture and hands it to the log pane, with the styled rows
// the pane shows. A refresh after new traffic rebuilds only the block that was still open and
// what follows it; the document stays byte for byte the one a whole rebuild gives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "commlog/CommLogPane.h"
#include "commlog/CommLogStyledRows.h"
#include "commlog/StyledText.h"
#include "commlog/TrafficCapture.h"

namespace kestrel {

// The caret position that puts the pane's caret at the end of the dump.
inline constexpr long kCommLogCaretAtEnd = 9999999;
// A legacy platform shows only this many of the newest records.
inline constexpr int kLegacyPlatformWindow = 78;
// A block is closed by the first cell that takes its width past this.
inline constexpr int kCommLogBlockWidthLimit = 62;
// The rows of a block in the pane: sent, received, time, and the empty line after them.
inline constexpr int kCommLogLinesPerBlock = 4;

// The visible width of one byte's cell in the hexadecimal (hexDisplay 1) or text form.
int CommLogCellWidth(uint8_t value, int hexDisplay);

class CommLogRenderer {
  public:
    // Renders the capture into `pane` (which may be null); returns 1 when it rendered, 0 when
    // force is 0 and nothing was recorded since the last rendering.
    int Render(int force, TrafficCapture& capture, int hexDisplay, int legacyPlatform,
               CommLogPane* pane);

    // The document of the last rendering (empty before the first).
    std::string_view Document() const { return {m_buffer.data(), m_documentSize}; }
    // Its styled rows, as the RTF reader reads the document.
    const StyledText& Content() const { return m_content; }

    int m_lastRenderedCount = 0;

  private:
    // Where the block still open at the end of a rendering begins, and the state there.
    struct OpenBlock {
        int record = 0;
        size_t documentSize = 0;
        size_t textSize = 0;
        size_t lines = 1;
        size_t runs = 0;
        size_t longestLine = 0;
        RowStyle style;
    };
    OpenBlock MarkOpenBlock(int record, size_t documentSize, RowStyle style) const;
    // Whether this rendering may continue the last one from its open block.
    bool Continues(const TrafficCapture& capture, int hexDisplay, int start, int end) const;

    // Reused from rendering to rendering, so a refresh allocates nothing once it has grown.
    std::string m_buffer;
    size_t m_documentSize = 0;
    StyledText m_content;

    OpenBlock m_open;
    bool m_continuable = false;  // false before the first rendering and after a cut-short one
    int m_renderedHex = 0;
    int m_renderedStart = 0;
    int m_renderedEnd = 0;
    int m_renderedRecords = 0;
    uint32_t m_renderedGeneration = 0;
    uint64_t m_serial = 0;
};

}  // namespace kestrel
