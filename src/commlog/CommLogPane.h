// The log pane as the renderer and the log commands see it: the stand-in for the rich text
// control's dispatch properties and methods. src/ui's CRichtextctrl1 implements it.
#pragma once

#include <string>
#include <string_view>

#include "commlog/CommLogRendering.h"

namespace kestrel {

class CommLogPane {
  public:
    virtual ~CommLogPane() = default;
    // Replaces the whole content with an RTF document.
    virtual void SetDocument(std::string_view rtf) = 0;
    // Replaces the content with a rendering of the log; a pane that can take the styled rows
    // (and only what changed) overrides this.
    virtual void SetRendering(const CommLogRendering& rendering) {
        SetDocument(rendering.document);
    }
    // Moves the caret; a position past the end puts it at the end.
    virtual void SetSelectionStart(long position) = 0;
    // The control's property 5, set to 1 after each rendering.
    virtual void SetProperty5(long value) = 0;
    // The plain text of the content.
    virtual std::string Text() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Loads or saves the content as RTF; false with `error` set when that fails.
    virtual bool LoadFile(const std::string& path, std::string* error) = 0;
    virtual bool SaveFile(const std::string& path, std::string* error) = 0;
};

}  // namespace kestrel
