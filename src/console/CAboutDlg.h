// "About Kestrel" (dialog 100): the version, two lines about the program and OK.
#pragma once

#include "platform/DialogEvents.h"
#include "platform/DialogTemplate.h"

namespace kestrel {

inline constexpr const char* kAboutVersionText = "Kestrel Version 2.0.1.5";

class CAboutDlg : public DialogEvents {
  public:
    bool OnInitDialog() override { return true; }
    // OK ends the box; it has no other controls that act.
    void OnCommand(int id, int notification) override;
};

// The template of the About box.
const DialogTemplate& AboutBoxTemplate();

}  // namespace kestrel
