// The application object on Qt: its console is a QtDialogHost built from the console's template.
#pragma once

#include "app/CKestrelApp.h"

namespace kestrel {

class TerminationSignalNotifier;

class QtKestrelApp : public CKestrelApp {
  public:
    QtKestrelApp(std::vector<std::string> args, PortEnvironment portEnvironment,
                 TerminationSignalNotifier& signalNotifier);
    void RunConsole() override;

  private:
    TerminationSignalNotifier& m_signals;
};

}  // namespace kestrel
