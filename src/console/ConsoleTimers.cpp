// The console's main loop: the tick dispatch, the status read tick, the poll tick, the repeat
// tick, Start/Stop Polling and the poll history.
#include <climits>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "notation/EncodeCommandText.h"
#include "status/PrinterMode.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

constexpr uint32_t kFirstByteTimeoutMs = 1;
constexpr uint32_t kNextByteTimeoutMs = 30;
constexpr uint32_t kPollTotalTimeoutMs = 1000;
constexpr uint32_t kPollIntervalTimeoutMs = 10;
constexpr uint32_t kIdleTimeoutMs = 1;
// Silence longer than this (in ms of read ticks) empties the receive buffer; the tick that
// first passes it also says so.
constexpr int kSilenceLimitMs = 4000;
constexpr int kSilenceMessageBeforeMs = 4100;
// A tick in a mode that decodes nothing takes at most this much of what is waiting.
constexpr int kMostTakenPerTick = 64 * kStatusBufferSize;
// The silent-tick count stops here: far past the limit, and never near overflow.
constexpr int kSilentTicksCap = 1000;

}  // namespace

void CKestrelDlg::OnTimer(int id) {
    if (m_timerSuspended) {
        return;
    }
    switch (id) {
        case TIMER_CMDLINE_JOB:
            // The job runs once: nothing inside it may start it again, and no tick acts after it.
            Host().KillTimer(TIMER_CMDLINE_JOB);
            m_timerSuspended = 1;
            RunCommandLineJob();
            return;
        case TIMER_REPEAT:
            RepeatTick();
            return;
        case TIMER_MONITOR:
            MonitorTick();
            return;
        case TIMER_POLL:
            PollTick();
            return;
        case TIMER_LOG_REFRESH:
            m_logRefreshPending = 1;
            return;
        case TIMER_RECONNECT:
            ReconnectTick();
            return;
        default:
            ReadTick();
            return;
    }
}

void CKestrelDlg::ReadTick() {
    m_modemLines.Refresh(Host(), m_app.m_ioComm, m_portOpen);
    if (!m_portOpen) {
        Host().SetTimer(TIMER_STATUS_READ, kStatusReadPeriodMs);
        return;
    }
    IOComm& port = m_app.m_ioComm;
    port.SetTimeouts(kFirstByteTimeoutMs, 0);
    int fill = m_status.m_statusFill;
    while (fill < kStatusBufferSize) {
        if (m_app.Receive(&m_status.m_statusBuffer[fill], 1) <= 0) {
            break;
        }
        port.SetTimeouts(kNextByteTimeoutMs, 0);
        ++fill;
    }
    const bool arrived = fill != m_status.m_statusFill;
    if (fill == kStatusBufferSize && !StatusDecoder::Decodes(m_app.m_printerMode)) {
        fill = TakeWaitingBytes();
    }
    port.SetTimeouts(kFirstByteTimeoutMs, 0);

    bool silent = false;
    if (!arrived) {
        if (m_noStatusTicks < kSilentTicksCap) {
            ++m_noStatusTicks;
        }
        const int silenceMs = static_cast<int>(kStatusReadPeriodMs) * m_noStatusTicks;
        if (silenceMs > kSilenceLimitMs) {
            if (silenceMs < kSilenceMessageBeforeMs) {
                Host().SetItemText(IDC_PRINTERSTATE, kNoStatusText);
            }
            m_status.m_statusPos = 0;
            m_status.m_statusFill = 0;
            silent = true;
        }
    } else {
        m_noStatusTicks = 0;
    }
    if (!silent) {
        m_status.m_statusFill = fill;
        DecodeArrivedStatus();
    }

    Host().SetTimer(TIMER_STATUS_READ, kStatusReadPeriodMs);
    if (m_logRefreshPending == 1) {
        m_app.RenderCommLog(0);
        Host().SetTimer(TIMER_LOG_REFRESH, kLogRefreshPeriodMs);
        m_logRefreshPending = 0;
    }
    NoticeLostConnection();  // a device that went away while it was read
}

// Modes that decode nothing keep nothing in the buffer: once it is full it is emptied and the
// bytes already waiting are taken too, without waiting for more, so a fast line never backs up
// in the terminal's queue (on a UART without flow control, bytes lost). Every byte still goes
// through Receive into the capture. Returns the fill of the buffer's last filling.
int CKestrelDlg::TakeWaitingBytes() {
    m_app.m_ioComm.SetTimeouts(kFirstByteTimeoutMs, 0);
    int fill = kStatusBufferSize;
    for (int taken = 0; fill == kStatusBufferSize && taken < kMostTakenPerTick; taken += fill) {
        fill = 0;
        while (fill < kStatusBufferSize && m_app.Receive(&m_status.m_statusBuffer[fill], 1) > 0) {
            ++fill;
        }
    }
    return fill;
}

// One pass decodes one record or packet; passes repeat until one makes no progress, so status
// that arrives faster than the ticks run is decoded in the tick it arrived in, not minutes later.
// In modes that decode nothing the buffer is emptied, or it would fill and stop the reading.
void CKestrelDlg::DecodeArrivedStatus() {
    bool progressed = true;
    while (progressed && m_status.Available() > 0) {
        const int before = m_status.m_statusPos;
        m_status.DecodeStatus(m_app.m_printerMode, Host(), *this);
        progressed = m_status.m_statusPos != before;
        m_status.Compact();
    }
    m_status.Compact();
    if (!StatusDecoder::Decodes(m_app.m_printerMode)) {
        m_status.m_statusPos = 0;
        m_status.m_statusFill = 0;
    }
}

void CKestrelDlg::PollTick() {
    const std::string bytes = EncodeCommandBytes(Host().GetItemText(IDC_POLLCOMBO));
    const bool ventrix = m_app.m_printerMode == static_cast<int>(PrinterMode::Ventrix);
    IOComm& port = m_app.m_ioComm;
    port.SetTimeouts(kPollTotalTimeoutMs, kPollIntervalTimeoutMs);
    // An empty poll box sends nothing, and a command too long for one packet cannot be sent:
    // neither says anything about the connection.
    const bool sendable =
        !bytes.empty() && (!ventrix || bytes.size() <= static_cast<size_t>(kVentrixMaximumCommand));
    if (m_portOpen && sendable &&
        (m_app.Transmit(reinterpret_cast<const uint8_t*>(bytes.data()),
                        static_cast<int>(bytes.size()), ventrix ? 1 : 0) == 0 ||
         port.ConnectionLost())) {
        OnConnectionLost();
    }
    port.SetTimeouts(kIdleTimeoutMs, kIdleTimeoutMs);
}

void CKestrelDlg::RepeatTick() {
    // A message box of the console (from the last repetition, say) or a ticket still being
    // sent: this tick neither counts nor acts, so repetitions never nest.
    if (Host().IsModalOpen() || m_sending) {
        return;
    }
    const int count = GetItemInt(IDC_REPEATCOUNT);
    const int left = count == INT_MIN ? count : count - 1;
    SetItemInt(IDC_REPEATCOUNT, left);
    if (left <= 0) {
        Host().KillTimer(TIMER_REPEAT);
    }
    if (m_status.m_printerInError == 1) {
        m_timerSuspended = 1;
        Host().MessageBox(std::string(kPrinterInErrorText) + kHaltSentence, kAppName, kMbOk);
        m_monitorTicks = 0;
        m_status.m_printerInError = 0;
        m_monitorState = kMonitorDone;
        Host().KillTimer(TIMER_MONITOR);
        m_timerSuspended = 0;
        return;
    }
    if (m_monitorEnabled == 1) {
        Host().SetTimer(TIMER_MONITOR, kMonitorPeriodMs);
        m_monitorState = kMonitorWaitingBusy;
    }
    if (m_repeatAction == kRepeatPrint) {
        OnPrint();
    } else if (m_repeatAction == kRepeatSendCommand) {
        OnSendCommand();
    }
}

void CKestrelDlg::OnPollButton() {
    const int interval = GetItemInt(IDC_POLLINTERVAL);
    if (Host().GetItemText(IDC_POLLBUTTON).find(kStopPollingCaption) != std::string::npos) {
        Host().SetItemText(IDC_POLLBUTTON, kStartPollingCaption);
        Host().KillTimer(TIMER_POLL);
    } else {
        Host().SetItemText(IDC_POLLBUTTON, kStopPollingCaption);
        Host().SetTimer(TIMER_POLL, static_cast<uint32_t>(interval));
    }
}

void CKestrelDlg::OnPollComboKillFocus() {
    RememberComboText(IDC_POLLCOMBO, m_pollHistory);
}

}  // namespace kestrel
