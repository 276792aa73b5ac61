// The console's main loop against the simulated printer: status read and decoded into the boxes,
// polling, the silence message, a lost connection, and the repeat tick.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "port/PortTestSupport.h"
#include "status/StatusDecoderFixture.h"
#include "support/ConsoleTestFixture.h"
#include "support/PseudoTerminal.h"

namespace kestrel {
namespace {

using testing::ConsoleTest;

constexpr int kMaxTicks = 60;

class ConsoleLoopTest : public ConsoleTest {
  protected:
    // Runs read ticks until `done` holds; false when it never did.
    bool ReadTicksUntil(const std::function<bool()>& done) {
        for (int tick = 0; tick < kMaxTicks; ++tick) {
            if (done()) {
                return true;
            }
            m_dlg->OnTimer(TIMER_STATUS_READ);
        }
        return done();
    }
    void Poll(const std::string& command) {
        m_host.SetItemText(IDC_POLLCOMBO, command);
        m_dlg->OnTimer(TIMER_POLL);
    }
    // Opens the simulator in Ventrix mode and polls until its status has been decoded.
    void StartVentrix() {
        StartSimulator("ventrix");
        Start({"ventrix"});
        OpenSimulatorPort();
        SetCheck(IDC_VENTRIXMODE, true);
    }
    bool PollStatusUntil(const std::function<bool()>& done) {
        for (int round = 0; round < 5; ++round) {
            Poll("<0x02><0x12>");
            if (ReadTicksUntil(done)) {
                return true;
            }
        }
        return false;
    }
    std::string Control(const std::string& command) { return m_control.Command(command); }
};

TEST_F(ConsoleLoopTest, AJamIsShownLoggedWithThePaneTextAndCleared) {
    StartVentrix();
    m_pane.m_text = "pane text at the jam";
    Control("jam on");
    ASSERT_TRUE(PollStatusUntil([&] { return m_host.IsButtonChecked(1089) == 1; }));
    EXPECT_EQ(m_dlg->m_status.m_printerInError, 1);
    EXPECT_NE(AppLog().find("IDC_CHECKJAM\n\n\n"), std::string::npos);
    EXPECT_NE(AppLog().find("\npane text at the jam\n"), std::string::npos);
    Control("jam off");
    ASSERT_TRUE(PollStatusUntil([&] { return m_host.IsButtonChecked(1089) == 0; }));
    EXPECT_EQ(m_dlg->m_status.m_printerInError, 0);
}

TEST_F(ConsoleLoopTest, ABadCrcIsLoggedAndLeavesTheBoxesAsTheyWere) {
    StartVentrix();
    Control("paper-low on");
    ASSERT_TRUE(PollStatusUntil([&] { return m_host.IsButtonChecked(1088) == 1; }));
    Control("clear");
    Control("bad-crc 1");
    ASSERT_TRUE(
        PollStatusUntil([&] { return AppLog().find("CRC error Printer: ") != std::string::npos; }));
    EXPECT_EQ(m_host.IsButtonChecked(1088), 1);  // the damaged packet changed nothing
    EXPECT_EQ(m_dlg->m_status.m_printerInError, 1);
}

TEST_F(ConsoleLoopTest, SmartRecordsFillTheInformationLinesStateAndProgress) {
    StartSimulator("smart");
    Start();
    OpenSimulatorPort();
    SetCheck(IDC_SMARTMODE, true);
    Poll(m_host.GetItemText(IDC_POLLCOMBO));
    ASSERT_TRUE(ReadTicksUntil([&] {
        return !m_host.GetItemText(IDC_INFOLINE2).empty() &&
               !m_host.GetItemText(IDC_PRINTERSTATE).empty();
    }));
    EXPECT_FALSE(m_host.GetItemText(IDC_INFOLINE1).empty());
    m_host.SetItemText(IDC_CMDCOMBO, "SMART TICKET");
    Click(IDC_SENDCOMMAND);
    EXPECT_TRUE(ReadTicksUntil([&] { return m_host.m_progressPos.count(IDC_PROGRESS) != 0; }));
    EXPECT_EQ(m_host.m_progressRange[IDC_PROGRESS], std::make_pair(0, 100));
}

// The port is COM5 on a pseudo-terminal whose far end stays silent until the test writes.
class ConsoleSilenceTest : public ConsoleLoopTest {
  protected:
    testing::PseudoTerminal m_pty;
};

TEST_F(ConsoleSilenceTest, SilenceIsReportedOnThe81stSilentTickOnly) {
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", m_pty.SlavePath()));
    Start();
    m_app->m_portName = "COM5";
    Click(IDC_COMM);
    ASSERT_TRUE(m_dlg->m_portOpen);
    const auto silentTicks = [&](int count) {
        for (int tick = 0; tick < count; ++tick) {
            m_dlg->OnTimer(TIMER_STATUS_READ);
        }
    };
    silentTicks(80);
    EXPECT_EQ(m_host.GetItemText(IDC_PRINTERSTATE), "");
    silentTicks(1);
    EXPECT_EQ(m_host.GetItemText(IDC_PRINTERSTATE),
              "No status from Printer, Printer may be disconnected, powered off, or periodic "
              "status is not enabled.");
    m_host.SetItemText(IDC_PRINTERSTATE, "");
    silentTicks(30);
    EXPECT_EQ(m_host.GetItemText(IDC_PRINTERSTATE), "");
    ASSERT_EQ(write(m_pty.Master(), "x", 1), 1);
    silentTicks(1);  // a byte: silence starts over
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 1);
    EXPECT_EQ(m_dlg->m_noStatusTicks, 0);
    silentTicks(80);
    EXPECT_EQ(m_host.GetItemText(IDC_PRINTERSTATE), "");
    silentTicks(1);
    EXPECT_FALSE(m_host.GetItemText(IDC_PRINTERSTATE).empty());
    EXPECT_EQ(m_dlg->m_status.m_statusFill, 0);
}

class ConsoleBurstTest : public ConsoleSilenceTest {
  protected:
    void OpenCom5(std::vector<std::string> args = {}) {
        ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", m_pty.SlavePath()));
        Start(std::move(args));
        m_app->m_portName = "COM5";
        Click(IDC_COMM);
        ASSERT_TRUE(m_dlg->m_portOpen);
    }
    void PrinterSends(const testing::Bytes& bytes) {
        ASSERT_EQ(write(m_pty.Master(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
        usleep(20000);  // the pseudo-terminal passes the bytes on asynchronously
    }
};

TEST_F(ConsoleBurstTest, EveryStatusPacketThatArrivedIsDecodedInOneTick) {
    OpenCom5({"ventrix"});
    SetCheck(IDC_VENTRIXMODE, true);
    PrinterSends(testing::Concat({testing::StatusPacket({0, 0, 0, 0x02, 0}),
                                  testing::StatusPacket({0, 0, 0, 0x01, 0}),
                                  testing::StatusPacket({0, 0, 0, 0x01, 0x10})}));
    m_dlg->OnTimer(TIMER_STATUS_READ);
    EXPECT_EQ(m_host.IsButtonChecked(1089), 0);  // the first packet's jam, cleared by the second
    EXPECT_EQ(m_host.IsButtonChecked(1088), 1);
    EXPECT_EQ(m_host.IsButtonChecked(1092), 1);  // only the third has top of next form
    EXPECT_EQ(m_dlg->m_status.Available(), 0);
}

TEST_F(ConsoleBurstTest, NormalModeEmptiesTheBufferSoReadingNeverStops) {
    OpenCom5();
    SetCheck(IDC_NORMALMODE, true);
    PrinterSends(testing::Bytes(2500, 'x'));
    m_dlg->OnTimer(TIMER_STATUS_READ);  // all that waits, past the buffer's 1000 bytes
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 2500);
    EXPECT_EQ(m_dlg->m_status.m_statusFill, 0);
    PrinterSends(testing::Bytes(10, 'y'));
    m_dlg->OnTimer(TIMER_STATUS_READ);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 2510);
}

struct LostCase {
    const char* dialect;
    int modeBox;
    const char* poll;
};

class LostConnectionTest : public ConsoleLoopTest,
                           public ::testing::WithParamInterface<LostCase> {};

TEST_P(LostConnectionTest, ADroppedPrinterClosesThePortWithTheMessage) {
    StartSimulator(GetParam().dialect);
    Start({"ventrix"});
    OpenSimulatorPort();
    SetCheck(GetParam().modeBox, true);
    Poll("");  // nothing to send is not a lost connection
    EXPECT_TRUE(m_dlg->m_portOpen);
    Control("drop");
    for (int tick = 0; tick < 20 && m_dlg->m_portOpen; ++tick) {
        usleep(20000);
        Poll(GetParam().poll);
    }
    EXPECT_FALSE(m_dlg->m_portOpen);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    // The system's message, then the port's reason on a line of its own.
    EXPECT_EQ(
        m_host.m_messages[0].text.rfind("Lost connection to printer\r\nIOComm::Output() failed", 0),
        0u)
        << m_host.m_messages[0].text;
    EXPECT_EQ(m_host.m_messages[0].caption, "Error");
    EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMM");
}

INSTANTIATE_TEST_SUITE_P(Dialects, LostConnectionTest,
                         ::testing::Values(LostCase{"normal", IDC_NORMALMODE, "[GS]y"},
                                           LostCase{"ventrix", IDC_VENTRIXMODE, "<0x02><0x00>"}),
                         [](const ::testing::TestParamInfo<LostCase>& param) {
                             return std::string(param.param.dialect);
                         });

TEST_F(ConsoleLoopTest, RepeatSendsTheCommandCountTimesThenStops) {
    StartSimulator("normal");
    Start();
    OpenSimulatorPort();
    m_host.SetItemText(IDC_CMDCOMBO, "R");
    Click(IDC_SENDCOMMAND);
    m_host.SetItemText(IDC_REPEATCOUNT, "3");
    m_host.SetTimer(TIMER_REPEAT, 1000);  // as the Repeat box arms it
    for (int tick = 0; tick < 3; ++tick) {
        m_dlg->OnTimer(TIMER_REPEAT);
    }
    EXPECT_EQ(m_host.GetItemText(IDC_REPEATCOUNT), "0");
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_REPEAT));
    std::string received;
    testing::WaitUntil([&] {
        received.clear();
        for (const std::string& line : RecordedHex()) {
            received += line + " ";
        }
        return received.size() >= 12;
    });
    EXPECT_EQ(received, "52 52 52 52 ");
}

TEST_F(ConsoleLoopTest, PaperOutHaltsTheRepeatWithTheMessageAndSkipsItsAction) {
    StartVentrix();
    Control("paper-out on");
    ASSERT_TRUE(PollStatusUntil([&] { return m_host.IsButtonChecked(1074) == 1; }));
    ASSERT_EQ(m_dlg->m_status.m_printerInError, 1);
    m_dlg->m_repeatAction = kRepeatSendCommand;
    m_host.SetItemText(IDC_CMDCOMBO, "<0x02><0x12>");
    const size_t recorded = RecordedHex().size();
    int suspendedInside = 0;
    m_host.m_insideMessageBox = [&] { suspendedInside = m_dlg->m_timerSuspended; };
    m_dlg->OnTimer(TIMER_REPEAT);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].text,
              "Printer in Error\r\n\r\nProgram halted, Press OK to restart");
    EXPECT_EQ(m_host.m_messages[0].caption, "Kestrel");
    EXPECT_EQ(suspendedInside, 1);
    EXPECT_EQ(m_dlg->m_timerSuspended, 0);
    EXPECT_EQ(m_dlg->m_status.m_printerInError, 0);
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorDone);
    usleep(100000);
    EXPECT_EQ(RecordedHex().size(), recorded);  // nothing repeated on that tick
}

TEST_F(ConsoleLoopTest, ARepeatTickDuringAMessageBoxNeitherCountsNorNests) {
    Start({"ventrix"});
    SetCheck(IDC_VENTRIXMODE, true);
    m_host.SetItemText(IDC_REPEATCOUNT, "5");
    m_host.SetItemText(IDC_CMDCOMBO, std::string(300, 'L'));  // refused with a message
    m_dlg->m_repeatAction = kRepeatSendCommand;
    m_host.m_insideMessageBox = [&] { m_dlg->OnTimer(TIMER_REPEAT); };
    m_dlg->OnTimer(TIMER_REPEAT);
    EXPECT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.GetItemText(IDC_REPEATCOUNT), "4");
}

TEST_F(ConsoleLoopTest, PollingButtonStartsAndStopsWithTheTypedInterval) {
    struct Case {
        const char* interval;
        uint32_t armed;
    };
    Start();
    for (const Case& test : {Case{"250", 250}, Case{"", 0}, Case{"abc", 0}, Case{"99999999999", 0},
                             Case{" 42ms", 42}}) {
        m_host.SetItemText(IDC_POLLINTERVAL, test.interval);
        Click(IDC_POLLBUTTON);
        EXPECT_EQ(m_host.GetItemText(IDC_POLLBUTTON), "<-- Stop Polling   ");
        EXPECT_EQ(m_host.m_timers[TIMER_POLL], test.armed) << test.interval;
        Click(IDC_POLLBUTTON);
        EXPECT_EQ(m_host.GetItemText(IDC_POLLBUTTON), "<-- Start Polling    ");
        EXPECT_FALSE(m_host.IsTimerArmed(TIMER_POLL));
    }
}

TEST_F(ConsoleLoopTest, AfterTheCommandLineJobNoTickActs) {
    Start();
    m_host.SetItemText(IDC_REPEATCOUNT, "5");
    m_dlg->OnTimer(TIMER_CMDLINE_JOB);
    EXPECT_EQ(m_dlg->m_timerSuspended, 1);
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_CMDLINE_JOB));
    const size_t calls = m_host.m_timerCalls.size();
    for (const int id : {TIMER_STATUS_READ, TIMER_LOG_REFRESH, TIMER_POLL, TIMER_REPEAT,
                         TIMER_MONITOR, TIMER_CMDLINE_JOB}) {
        m_dlg->OnTimer(id);
    }
    EXPECT_EQ(m_host.m_timerCalls.size(), calls);
    EXPECT_EQ(m_host.GetItemText(IDC_REPEATCOUNT), "5");
    EXPECT_EQ(m_dlg->m_logRefreshPending, 0);
}

}  // namespace
}  // namespace kestrel
