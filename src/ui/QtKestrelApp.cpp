#include "ui/QtKestrelApp.h"

#include "console/CKestrelDlg.h"
#include "console/DialogTemplates.h"
#include "platform/ProcessPriority.h"
#include "ui/ModemLinePanel.h"
#include "ui/QtDialogHost.h"
#include "ui/SessionPackets.h"
#include "ui/TerminationSignalNotifier.h"

namespace kestrel {

QtKestrelApp::QtKestrelApp(std::vector<std::string> args, PortEnvironment portEnvironment,
                           TerminationSignalNotifier& signalNotifier)
    : CKestrelApp(std::move(args), SystemClock(), std::move(portEnvironment)),
      m_signals(signalNotifier) {}

void QtKestrelApp::RunConsole() {
    QtDialogHost host(ConsoleTemplate(), nullptr,
                      [this](const std::string& text) { WriteAppLog(text); });
    ModemLinePanel modemLines(host);
    host.SetNeverShown(m_silentOption != 0);
    SessionPackets packets(*this, host);
    {
        CKestrelDlg console(*this, SystemProcessPriority());
        m_console = &console;
        m_signals.SetConsole(
            &host, [&console](int signalNumber) { console.OnTerminationSignal(signalNumber); });
        host.RunModal(console);
        m_signals.SetConsole(nullptr, nullptr);
        // The console's window and pane go with it.
        m_messageOwner = nullptr;
        m_commLogPane = nullptr;
    }
    m_console = nullptr;
}

}  // namespace kestrel
