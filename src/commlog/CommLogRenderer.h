// Builds the RTF dump of the traffic capture and hands it to the log pane.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "commlog/CommLogPane.h"
#include "commlog/TrafficCapture.h"

namespace kestrel {

// The caret position that puts the pane's caret at the end of the dump.
inline constexpr long kCommLogCaretAtEnd = 9999999;
// A legacy platform shows only this many of the newest records.
inline constexpr int kLegacyPlatformWindow = 78;

class CommLogRenderer {
  public:
    // Renders the capture into `pane` (which may be null); returns 1 when it rendered, 0 when
    // force is 0 and nothing was recorded since the last rendering.
    int Render(int force, TrafficCapture& capture, int hexDisplay, int legacyPlatform,
               CommLogPane* pane);

    // The document of the last rendering (empty before the first).
    std::string_view Document() const { return {m_buffer.data(), m_documentSize}; }

    int m_lastRenderedCount = 0;

  private:
    // Reused from rendering to rendering, so a refresh allocates nothing once it has grown.
    std::string m_buffer;
    size_t m_documentSize = 0;
};

}  // namespace kestrel
