// Reconnecting: with the operator's choice on, a lost connection is not reported in a box but
// waited out. The same port name is opened again once a second, with the same settings, until
// it opens or the operator presses COMM; the command-line job never waits.
#include <cstdio>
#include <memory>

#include "app/CKestrelApp.h"
#include "app/PortFailureText.h"
#include "console/CKestrelDlg.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "console/TimerIds.h"

namespace kestrel {
namespace {

// The settings key's value of ours that remembers the choice (a DWORD, 1 on).
constexpr const char* kReconnectValue = "ReconnectAutomatically";
// An attempt waits this long for a TCP/IP printer to accept: an address that does not answer
// holds the window no longer than this once a second.
constexpr uint32_t kAttemptConnectLimitMs = 200;
constexpr const char* kBackTimeFormat = "%H:%M:%S";

std::string Formatted(const char* format, const std::string& first,
                      const std::string& second = "") {
    char line[kPortIdentityBufferSize];
    std::snprintf(line, sizeof line, format, first.c_str(), second.c_str());
    return line;
}

// The port layer's reason as the operator needs it on the second information line: the words
// it gives in brackets after the error code ("... returned: 16 (COM5 is in use by another
// program)"), or the whole text where it gives none.
std::string BriefReason(const std::string& reason) {
    const size_t open = reason.find(" (");
    if (open == std::string::npos || reason.back() != ')') {
        return reason;
    }
    return reason.substr(open + 2, reason.size() - open - 3);
}

}  // namespace

void CKestrelDlg::LoadReconnectChoice() {
    uint32_t chosen = 0;
    if (std::unique_ptr<SettingsKey> key = m_app.m_ioComm.OpenSettingsKey()) {
        key->ReadDword(kReconnectValue, &chosen);
    }
    m_reconnectChosen = chosen != 0;
    Host().ShowMenuItem(ID_RECONNECTAUTOMATICALLY, kReconnectMenuText, true);
    Host().CheckMenuItem(ID_RECONNECTAUTOMATICALLY, m_reconnectChosen);
}

void CKestrelDlg::OnReconnectChoice() {
    m_reconnectChosen = !m_reconnectChosen;
    Host().CheckMenuItem(ID_RECONNECTAUTOMATICALLY, m_reconnectChosen);
    if (std::unique_ptr<SettingsKey> key = m_app.m_ioComm.OpenSettingsKey()) {
        key->SetDword(kReconnectValue, m_reconnectChosen ? 1 : 0);
    }
    if (!m_reconnectChosen && m_waitingForPort) {
        StopWaitingForPort();
    }
}

bool CKestrelDlg::WaitForLostPort() {
    if (!m_reconnectChosen || m_runningJob) {
        return false;
    }
    const std::string waiting = Formatted(kWaitingForPortFormat, m_app.m_portName);
    m_app.WriteAppLog(PortFailureText(kLostConnectionText, m_app.m_ioComm) + kReasonLineBreak +
                      waiting);
    m_waitingForPort = true;
    m_waitReason = m_app.m_ioComm.m_lastError;
    Host().SetButtonImages(IDC_COMM, kCommOpenImages);
    Host().SetItemText(IDC_INFOLINE1, waiting);
    Host().SetItemText(IDC_INFOLINE2, "");
    Host().SetTimer(TIMER_RECONNECT, kReconnectPeriodMs);
    return true;
}

void CKestrelDlg::ReconnectTick() {
    if (!m_waitingForPort) {
        Host().KillTimer(TIMER_RECONNECT);
        return;
    }
    // A ticket still being sent ends first: its rest never goes to a printer that lost its start.
    if (m_sending || m_portOpen) {
        return;
    }
    IOComm& port = m_app.m_ioComm;
    const uint32_t connectLimit = port.m_connectLimitMs;
    port.m_connectLimitMs = kAttemptConnectLimitMs;
    const long opened = m_app.OpenSelectedPort();
    port.m_connectLimitMs = connectLimit;
    if (opened == 0) {
        // Each new reason once: a port taken by another program says so, then waiting goes on.
        if (port.m_lastError != m_waitReason) {
            m_waitReason = port.m_lastError;
            Host().SetItemText(IDC_INFOLINE2, BriefReason(m_waitReason));
            m_app.WriteAppLog("Still waiting for " + m_app.m_portName + ": " + m_waitReason);
        }
        return;
    }
    m_waitingForPort = false;
    Host().KillTimer(TIMER_RECONNECT);
    m_portOpen = true;
    m_noStatusTicks = 0;
    Host().SetButtonImages(IDC_COMM, kCommCloseImages);
    const std::string time = m_app.GetClock().FormatLocalTime(kBackTimeFormat);
    Host().SetItemText(IDC_INFOLINE1, Formatted(kPortBackFormat, m_app.m_portName, time));
    Host().SetItemText(IDC_INFOLINE2, "");
    m_app.WriteAppLog(m_app.m_portName + " came back; the port is open again.");
}

void CKestrelDlg::StopWaitingForPort() {
    m_waitingForPort = false;
    Host().KillTimer(TIMER_RECONNECT);
    Host().SetItemText(IDC_INFOLINE2, "");
    ShowPortIdentity();
    m_app.WriteAppLog("Stopped waiting for " + m_app.m_portName + " to come back.");
}

}  // namespace kestrel
