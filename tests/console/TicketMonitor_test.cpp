// The monitor's rules on the fake window; its run against a printer is in TicketSim_test.
#include "console/ConsoleTexts.h"
#include "console/TicketConsoleFixture.h"
#include "console/TicketTexts.h"
#include "console/TimerIds.h"

namespace kestrel {
namespace {

using testing::TicketConsoleTest;

constexpr int kWatchedBoxes[] = {IDC_CHECKBUSY, IDC_CHECKBARCODE, IDC_CHECKCHUTE, IDC_CHECKNEXT};

class TicketMonitorTest : public TicketConsoleTest {
  protected:
    void SetUp() override {
        TicketConsoleTest::SetUp();
        m_clock.m_skipSleeps = true;  // the 3 s before Clear-all is counted, not waited
        m_dlg->m_monitorEnabled = 1;
    }
    void Tick() { m_dlg->OnTimer(TIMER_MONITOR); }
};

TEST_F(TicketMonitorTest, CheckBoxSetsThePollCommandAndStartsNothing) {
    m_dlg->m_monitorEnabled = 0;
    m_host.SetItemText(IDC_POLLCOMBO, "[GS]y");
    m_host.m_timerCalls.clear();
    m_host.CheckButton(IDC_MONITOR, 1);
    m_dlg->OnCommand(IDC_MONITOR, kBnClicked);
    EXPECT_EQ(m_dlg->m_monitorEnabled, 1);
    EXPECT_EQ(m_host.GetItemText(IDC_POLLCOMBO), "<0x02><0x12>");
    EXPECT_TRUE(m_host.m_timerCalls.empty());
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorIdle);

    m_host.CheckButton(IDC_MONITOR, 0);
    m_dlg->OnMonitorCheck();
    EXPECT_EQ(m_dlg->m_monitorEnabled, 0);
    EXPECT_TRUE(m_host.m_timerCalls.empty());
}

TEST_F(TicketMonitorTest, StartArmsTheTimerOrEndsTheWatch) {
    m_dlg->StartMonitor();
    EXPECT_EQ(m_host.m_timers[TIMER_MONITOR], 100u);
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorWaitingBusy);
    m_dlg->m_monitorTicks = 7;
    m_dlg->m_monitorEnabled = 0;
    m_dlg->StartMonitor();
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_MONITOR));
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorDone);
    EXPECT_EQ(m_dlg->m_monitorTicks, 7);  // a start does not clear it
}

TEST_F(TicketMonitorTest, AllBoxesCheckedPassesOneStatePerTickThenCompletes) {
    for (const int box : kWatchedBoxes) {
        m_host.CheckButton(box, 1);
    }
    m_dlg->StartMonitor();
    const std::vector<std::string> texts = {kMonitorWaitingBusyText, kMonitorWaitingBarcodeText,
                                            kMonitorWaitingChuteText, kMonitorWaitingTopOfFormText};
    for (int tick = 0; tick < 3; ++tick) {
        Tick();
        EXPECT_EQ(m_host.GetItemText(IDC_MONITORSTATE), texts[static_cast<size_t>(tick)]);
        EXPECT_EQ(m_dlg->m_monitorState, tick + 2);
        EXPECT_EQ(m_dlg->m_monitorTicks, 0);
    }
    m_host.m_textChanges.clear();
    const uint64_t slept = m_clock.m_slept;
    // The window cannot paint during the wait: the done text is painted before it begins.
    std::vector<std::pair<int, std::string>> paintedBeforeWait;
    m_clock.m_beforeSleep = [&] { paintedBeforeWait = m_host.m_repaintedNow; };
    Tick();
    m_clock.m_beforeSleep = nullptr;
    EXPECT_EQ(paintedBeforeWait,
              (std::vector<std::pair<int, std::string>>{{IDC_MONITORSTATE, kTicketDoneText}}));
    EXPECT_EQ(m_host.TextsOf(IDC_MONITORSTATE),
              (std::vector<std::string>{kMonitorWaitingTopOfFormText, kTicketDoneText,
                                        kTicketDoneClearAllText}));
    EXPECT_EQ(m_clock.m_slept - slept, 3000u);
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorDone);
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_MONITOR));
    // The port is closed: Clear-all is not recorded as sent.
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 0);
}

TEST_F(TicketMonitorTest, NoProgressFor102TicksHaltsWithTheStateNumber) {
    for (const int stuckState : {1, 3}) {
        SCOPED_TRACE(stuckState);
        for (const int box : kWatchedBoxes) {
            m_host.CheckButton(box, box != kWatchedBoxes[stuckState - 1]);
        }
        m_host.m_messages.clear();
        m_dlg->StartMonitor();
        int ticks = 0;
        while (m_dlg->m_monitorState != stuckState) {
            Tick();
            ++ticks;
        }
        bool suspendedInside = false;
        m_host.m_insideMessageBox = [&] {
            suspendedInside = m_dlg->m_timerSuspended == 1;
            const int before = m_dlg->m_monitorTicks;
            m_dlg->OnTimer(TIMER_MONITOR);  // ticks keep arriving in the box's loop
            EXPECT_EQ(m_dlg->m_monitorTicks, before);
        };
        for (int tick = 1; tick <= 101; ++tick) {
            Tick();
        }
        EXPECT_TRUE(m_host.m_messages.empty());
        Tick();
        ASSERT_EQ(m_host.m_messages.size(), 1u);
        EXPECT_EQ(m_host.m_messages[0].text,
                  "Printer Monitor Timed out; State = " + std::to_string(stuckState) +
                      "\r\n\r\nProgram halted, Press OK to restart");
        EXPECT_EQ(m_host.m_messages[0].caption, kAppName);
        EXPECT_TRUE(suspendedInside);
        EXPECT_EQ(m_dlg->m_timerSuspended, 0);
        EXPECT_EQ(m_dlg->m_monitorState, kMonitorDone);
        EXPECT_EQ(m_dlg->m_monitorTicks, 0);
        EXPECT_FALSE(m_host.IsTimerArmed(TIMER_MONITOR));
        m_host.m_insideMessageBox = nullptr;
    }
}

TEST_F(TicketMonitorTest, OutsideStatesOneToFourTheTickReadsAsTheReadTickDoes) {
    for (const int state : {kMonitorIdle, kMonitorDone}) {
        m_dlg->m_monitorState = state;
        m_host.m_timerCalls.clear();
        Tick();
        // With the port closed the read tick only re-arms its timer.
        EXPECT_EQ(m_host.m_timerCalls,
                  (std::vector<testing::FakeDialogHost::TimerCall>{{TIMER_STATUS_READ, true, 50}}));
        EXPECT_EQ(m_host.GetItemText(IDC_MONITORSTATE), "");
    }
}

TEST_F(TicketMonitorTest, WaitsWhileATicketIsStillGoingOut) {
    m_host.CheckButton(IDC_CHECKBUSY, 1);
    m_dlg->StartMonitor();
    m_dlg->m_sending = true;
    for (int tick = 0; tick < 200; ++tick) {
        Tick();
    }
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorWaitingBusy);
    EXPECT_EQ(m_dlg->m_monitorTicks, 0);
    EXPECT_TRUE(m_host.m_messages.empty());
    m_dlg->m_sending = false;
    Tick();
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorWaitingBarcode);
}

TEST_F(TicketMonitorTest, UncheckingDuringAWatchCarriesOnUntilTheNextStart) {
    m_dlg->StartMonitor();
    m_host.CheckButton(IDC_MONITOR, 0);
    m_dlg->OnMonitorCheck();
    m_host.CheckButton(IDC_CHECKBUSY, 1);
    Tick();
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorWaitingBarcode);
    EXPECT_TRUE(m_host.IsTimerArmed(TIMER_MONITOR));
    m_dlg->StartMonitor();
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorDone);
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_MONITOR));
}

}  // namespace
}  // namespace kestrel
