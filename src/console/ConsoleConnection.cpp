// The console's connection to the printer: opening it while the window shows the wait, and
// losing it.
#include <cstdio>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"

namespace kestrel {

long CKestrelDlg::OpenSelectedPortShowingWait() {
    IOComm& port = m_app.m_ioComm;
    const int suspended = m_timerSuspended;
    m_timerSuspended = 1;
    port.m_onConnectWait = [this](const std::string& address) {
        char line[kPortIdentityBufferSize];
        std::snprintf(line, sizeof line, kConnectingFormat, address.c_str());
        if (Host().GetItemText(IDC_INFOLINE1) != line) {
            Host().SetItemText(IDC_INFOLINE1, line);
        }
        Host().RepaintNow();
    };
    const long result = m_app.OpenSelectedPort();
    port.m_onConnectWait = nullptr;
    m_timerSuspended = suspended;
    ShowPortIdentity();  // the wait is over, whatever a message says next
    return result;
}

void CKestrelDlg::OnConnectionLost() {
    m_portOpen = false;
    m_app.m_ioComm.Close();
    if (WaitForLostPort()) {
        return;
    }
    Host().MessageBox(m_app.ReportPortFailure(kLostConnectionText), kErrorCaption, kMbOk);
    Host().SetButtonImages(IDC_COMM, kCommOpenImages);
}

bool CKestrelDlg::NoticeLostConnection() {
    if (!m_app.m_ioComm.ConnectionLost()) {
        return false;
    }
    if (m_portOpen && !m_runningJob) {
        OnConnectionLost();
    }
    return true;
}

}  // namespace kestrel
