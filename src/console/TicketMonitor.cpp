// The ticket-printing monitor: follows a ticket through busy, barcode done, paper in chute and
// top of form, then sends Clear-all.
#include <array>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "console/TicketTexts.h"
#include "console/TimerIds.h"
#include "status/ClearAllCommand.h"

namespace kestrel {
namespace {

// The 102nd tick in one state (some ten seconds) ends the watch.
constexpr int kMonitorTimeoutTicks = 100;
constexpr uint32_t kClearAllDelayMs = 3000;

struct MonitorStep {
    const char* text;
    int watchedBox;
};

// States 1 to 4: the text shown while waiting and the box that moves the watch on.
constexpr std::array<MonitorStep, 4> kMonitorSteps = {{
    {kMonitorWaitingBusyText, IDC_CHECKBUSY},
    {kMonitorWaitingBarcodeText, IDC_CHECKBARCODE},
    {kMonitorWaitingChuteText, IDC_CHECKCHUTE},
    {kMonitorWaitingTopOfFormText, IDC_CHECKNEXT},
}};

bool IsWatching(int state) {
    return state >= kMonitorWaitingBusy && state <= kMonitorWaitingTopOfForm;
}

}  // namespace

void CKestrelDlg::OnMonitorCheck() {
    if (Host().IsButtonChecked(IDC_MONITOR)) {
        m_monitorEnabled = 1;
        Host().SetItemText(IDC_POLLCOMBO, kMonitorPollCommand);
    } else {
        m_monitorEnabled = 0;  // a ticket already followed is followed to its end
    }
}

void CKestrelDlg::StartMonitor() {
    if (m_monitorEnabled == 1) {
        Host().SetTimer(TIMER_MONITOR, kMonitorPeriodMs);
        m_monitorState = kMonitorWaitingBusy;
    } else {
        Host().KillTimer(TIMER_MONITOR);
        m_monitorState = kMonitorDone;
    }
}

void CKestrelDlg::MonitorTick() {
    // A ticket still going out (the repeat tick starts the watch before it prints): the watch
    // begins when its last line has left, and Clear-all never lands between its lines.
    if (m_sending && IsWatching(m_monitorState)) {
        return;
    }
    const int ticks = m_monitorTicks++;
    if (ticks > kMonitorTimeoutTicks) {
        m_timerSuspended = 1;
        Host().MessageBox(kMonitorTimedOutText + std::to_string(m_monitorState) + kHaltSentence,
                          kAppName, kMbOk);
        m_timerSuspended = 0;
        m_monitorTicks = 0;
        m_monitorState = kMonitorDone;
        Host().KillTimer(TIMER_MONITOR);
    }
    if (!IsWatching(m_monitorState)) {
        ReadTick();
        return;
    }
    const MonitorStep& step = kMonitorSteps[static_cast<size_t>(m_monitorState - 1)];
    Host().SetItemText(IDC_MONITORSTATE, step.text);
    if (!Host().IsButtonChecked(step.watchedBox)) {
        return;
    }
    m_monitorTicks = 0;
    if (m_monitorState < kMonitorWaitingTopOfForm) {
        ++m_monitorState;
        return;
    }
    m_monitorState = kMonitorDone;
    Host().KillTimer(TIMER_MONITOR);
    Host().SetItemText(IDC_MONITORSTATE, kTicketDoneText);
    // The wait blocks the window, so the text is painted before it, not after.
    Host().RepaintItemNow(IDC_MONITORSTATE);
    m_app.GetClock().Sleep(kClearAllDelayMs);
    // A closed port takes nothing; Transmit would still record a start byte as sent.
    if (m_portOpen) {
        m_app.Transmit(kClearAllCommand.data(), static_cast<int>(kClearAllCommand.size()), 1);
        NoticeLostConnection();
    }
    Host().SetItemText(IDC_MONITORSTATE, kTicketDoneClearAllText);
}

}  // namespace kestrel
