// What one rendering of the communication log hands to the pane: the whole RTF document and the
// styled rows the pane shows, and how much of both is exactly as the previous rendering left
// them, so a pane that holds that rendering copies only the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "commlog/StyledText.h"

namespace kestrel {

struct CommLogRendering {
    std::string_view document;
    const StyledText* content = nullptr;
    uint64_t serial = 0;
    // The rendering this one continues, or 0 when it starts afresh.
    uint64_t previousSerial = 0;
    // Unchanged since the previous rendering: leading document bytes, text bytes, line starts
    // and style runs.
    size_t keptDocumentBytes = 0;
    size_t keptTextBytes = 0;
    size_t keptLines = 0;
    size_t keptRuns = 0;
    // Records the document shows, and of them the ones the previous rendering showed too.
    int records = 0;
    int keptRecords = 0;
};

// What the pane holds of the renderings: after the one it last took, the next copies only what
// changed; anything else put into the pane makes it forget, so the next one is copied whole.
class CommLogFollower {
  public:
    // Brings `document` and `content` to the rendering's.
    void Take(const CommLogRendering& rendering, std::string& document, StyledText& content);
    void Forget() { m_serial = 0; }
    // Whether `rendering` continues the one taken last, so Take copies only what changed.
    bool Continues(const CommLogRendering& rendering) const {
        return m_serial != 0 && rendering.previousSerial == m_serial;
    }

  private:
    uint64_t m_serial = 0;
};

}  // namespace kestrel
