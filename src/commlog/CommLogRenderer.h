// Builds the RTF dump of the traffic capture and hands it to the log pane.
#pragma once

#include <cstdint>
#include <string>

#include "commlog/CommLogPane.h"
#include "port/TrafficCapture.h"

namespace kestrel {

class CommLogRenderer {
  public:
    // Renders the capture into `pane` (which may be null); returns 1 when it rendered, 0 when
    // force is 0 and nothing was recorded since the last rendering.
    int Render(int force, TrafficCapture& capture, int hexDisplay, int legacyPlatform,
               CommLogPane* pane);

    int m_lastRenderedCount = 0;
};

}  // namespace kestrel
