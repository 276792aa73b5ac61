// A signal that asks the program to end (SIGINT, SIGTERM, SIGHUP) takes the Exit button's way
// out, so the log, the console's values and the port name are saved as after Exit.
#include "app/CKestrelApp.h"
#include "app/CommandLineHelp.h"
#include "console/CKestrelDlg.h"
#include "platform/DialogHost.h"
#include "platform/TerminationSignals.h"

namespace kestrel {

void CKestrelDlg::OnTerminationSignal(int signalNumber) {
    const std::string name = TerminationSignalName(signalNumber);
    if (!m_app.m_cmdLineFile.empty() && !m_jobStarted) {
        m_app.m_jobExitCode = kExitJobFailed;
        m_app.WriteAppLog(name + " came before the command-line job ran; \"" + m_app.m_cmdLineFile +
                          "\" was not sent.");
    }
    m_app.WriteAppLog(name + " received; the console closes as on Exit.");
    LeaveConsole(kIdOk);
}

}  // namespace kestrel
