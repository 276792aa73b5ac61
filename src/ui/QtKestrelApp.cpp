#include "ui/QtKestrelApp.h"

#include "console/CKestrelDlg.h"
#include "console/DialogTemplates.h"
#include "platform/ProcessPriority.h"
#include "ui/QtDialogHost.h"
#include "ui/SessionPackets.h"

namespace kestrel {

QtKestrelApp::QtKestrelApp(std::vector<std::string> args, PortEnvironment portEnvironment)
    : CKestrelApp(std::move(args), SystemClock(), std::move(portEnvironment)) {}

void QtKestrelApp::RunConsole() {
    QtDialogHost host(ConsoleTemplate(), nullptr,
                      [this](const std::string& text) { WriteAppLog(text); });
    host.SetNeverShown(m_silentOption != 0);
    SessionPackets packets(*this, host);
    {
        CKestrelDlg console(*this, SystemProcessPriority());
        m_console = &console;
        host.RunModal(console);
        // The console's window and pane go with it.
        m_messageOwner = nullptr;
        m_commLogPane = nullptr;
    }
    m_console = nullptr;
}

}  // namespace kestrel
