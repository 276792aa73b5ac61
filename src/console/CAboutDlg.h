// "About Kestrel" (dialog 100): the version, two lines about the program and OK.
#pragma once

#include "platform/DialogEvents.h"

namespace kestrel {

class CAboutDlg : public DialogEvents {
  public:
    bool OnInitDialog() override { return true; }
    // OK ends the box; it has no other controls that act.
    void OnCommand(int id, int notification) override;
};

}  // namespace kestrel
