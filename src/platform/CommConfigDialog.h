// The serial configuration dialog: edits a COMMCONFIG for a named port. The Qt dialog of src/ui
// implements it; Run returns false when the operator cancels.
#pragma once

#include <string>

#include "platform/CommTypes.h"

namespace kestrel {

class CommConfigDialog {
  public:
    virtual ~CommConfigDialog() = default;
    virtual bool Run(const std::string& portName, const void* ownerWindow, COMMCONFIG* config) = 0;
};

}  // namespace kestrel
