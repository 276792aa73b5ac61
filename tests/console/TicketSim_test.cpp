// Tickets against the simulated printer over loopback TCP: what it recorded is what went out.
#include <thread>

#include "console/ConsoleTexts.h"
#include "console/TicketConsoleFixture.h"
#include "console/TicketTexts.h"
#include "console/TimerIds.h"
#include "sim/SimTestClient.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using testing::ReadRecordedTraffic;
using testing::RecordedTraffic;
using testing::TicketConsoleTest;

constexpr uint64_t kLinePauseMs = 22;
// Before each start byte 10 ms, after it 2 ms; the record counts whole milliseconds.
constexpr uint64_t kStartByteWaitsMs = 10 + 2;
constexpr uint64_t kRecordGrainMs = 1;

class TicketSimTest : public TicketConsoleTest {
  protected:
    void StartSim(PrinterMode mode, uint64_t phaseMs = 20, std::vector<std::string> faults = {}) {
        SimOptions options = testing::TestOptions();
        options.recordPath = m_folder.File("record.txt");
        options.printer.mode = mode;
        options.printer.phaseMilliseconds = phaseMs;
        options.faults = std::move(faults);
        m_sim = std::make_unique<testing::SimRunner>(options);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
        SetMode(mode);
        OpenPort(m_sim->TcpAddress());
    }
    void TearDown() override {
        TicketConsoleTest::TearDown();  // closes the port before the simulator goes
        m_sim.reset();
    }
    // The record once it holds `bytes` received bytes, and a moment later, so a stray byte
    // after them would show.
    RecordedTraffic Recorded(size_t bytes) {
        EXPECT_TRUE(testing::WaitUntil(
            [&] { return ReadRecordedTraffic(m_folder.File("record.txt")).receivedBytes >= bytes; },
            testing::kTicketWait));
        std::this_thread::sleep_for(50ms);
        return ReadRecordedTraffic(m_folder.File("record.txt"));
    }
    void PrintTicket(const std::string& title, const std::string& text) {
        WriteFile(title + ".dmo", text);
        SelectTicket(title);
        m_dlg->OnCommand(IDC_PRINT, kBnClicked);
    }
    // One round of the console's main loop: the monitor, after a poll and the read of its
    // answer when `poll` (a read on TCP waits at least 100 ms, so not every round reads).
    void MainLoopRound(bool poll) {
        if (poll) {
            m_dlg->OnTimer(TIMER_POLL);
            m_dlg->OnTimer(TIMER_STATUS_READ);
        }
        m_dlg->OnTimer(TIMER_MONITOR);
    }

    std::unique_ptr<testing::SimRunner> m_sim;
};

// "<0x02><0x05>" and a text: a ticket-data packet whose payload tells the lines apart.
std::string Line(const std::string& payload) {
    return "<0x02><0x05>" + payload + "\r\n";
}

TEST_F(TicketSimTest, VentrixLinesAreFramedPacketsAtLeast22MsApartAndNothingElse) {
    StartSim(PrinterMode::Ventrix);
    PrintTicket("Three", Line("A") + "\r\n" + "`a comment line\r\n" + Line("B") + "<0x02><0x05>C");
    EXPECT_TRUE(m_host.m_messages.empty());
    const RecordedTraffic traffic = Recorded(3 * 6);
    EXPECT_TRUE(traffic.stray.empty());
    EXPECT_EQ(traffic.receivedBytes, 3u * 6);
    ASSERT_EQ(traffic.packets.size(), 3u);
    for (size_t i = 0; i < traffic.packets.size(); ++i) {
        const std::vector<uint8_t>& packet = traffic.packets[i].bytes;
        ASSERT_EQ(packet.size(), 6u);
        EXPECT_EQ(packet[1] & kVentrixTypeMask, 0x05);
        EXPECT_EQ(packet[2], 6);
        EXPECT_EQ(packet[3], 'A' + i);
        EXPECT_TRUE(testing::VentrixCrcMatches(packet));
    }
    // The pauses are the sender's: its capture times them. Arrival times at the printer can
    // bunch up when the reader is scheduled late, so they prove nothing about the gaps.
    const TrafficCapture& capture = m_app->m_capture;
    ASSERT_EQ(capture.m_trafficCount, 3 * 6);
    for (int start = 6; start < capture.m_trafficCount; start += 6) {
        EXPECT_GE(capture.m_traffic[start].tick - capture.m_traffic[start - 6].tick,
                  kLinePauseMs + kStartByteWaitsMs - kRecordGrainMs);
    }
    EXPECT_EQ(m_host.m_dispatches, 3 * 22);
}

// The record's received chunks as their hex text.
std::vector<std::string> ReceivedChunks(const std::string& recordPath) {
    std::ifstream record(recordPath);
    std::vector<std::string> received;
    for (std::string line; std::getline(record, line);) {
        if (line.find(" rx ") != std::string::npos) {
            received.push_back(line.substr(line.find(" rx ") + 4));
        }
    }
    return received;
}

struct WholeFileCase {
    PrinterMode mode;
    size_t framing;
};

class WholeFileTest : public TicketSimTest, public ::testing::WithParamInterface<WholeFileCase> {};

TEST_P(WholeFileTest, OneTransmissionWithoutLineBreaks) {
    StartSim(GetParam().mode);
    PrintTicket("Whole", "AB\r\n\r\nCD`comment\r\n<0x45>F");
    EXPECT_TRUE(m_host.m_messages.empty());
    Recorded(6 + GetParam().framing);
    const std::vector<std::string> received = ReceivedChunks(m_folder.File("record.txt"));
    ASSERT_EQ(received.size(), 1u);  // one chunk: nothing went out in between
    const std::string data = "41 42 43 44 45 46";
    EXPECT_EQ(received[0].size(), data.size() + 3 * GetParam().framing);
    EXPECT_NE(received[0].find(data), std::string::npos);
    EXPECT_EQ(m_host.m_dispatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, WholeFileTest,
                         ::testing::Values(WholeFileCase{PrinterMode::Normal, 0},
                                           WholeFileCase{PrinterMode::SerialPacket,
                                                         kSerialFramingBytes}));

TEST_F(TicketSimTest, MonitorFollowsTheTicketThenSendsClearAllThreeSecondsLater) {
    StartSim(PrinterMode::Ventrix, 250);
    m_host.CheckButton(IDC_MONITOR, 1);
    m_dlg->OnCommand(IDC_MONITOR, kBnClicked);
    ASSERT_EQ(m_host.GetItemText(IDC_POLLCOMBO), kMonitorPollCommand);
    PrintTicket("One", Line("T"));
    ASSERT_EQ(m_dlg->m_monitorState, kMonitorWaitingBusy);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (m_dlg->m_monitorState != kMonitorDone && std::chrono::steady_clock::now() < deadline) {
        MainLoopRound(true);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_EQ(m_host.TextsOf(IDC_MONITORSTATE),
              (std::vector<std::string>{"", kMonitorWaitingBusyText, kMonitorWaitingBarcodeText,
                                        kMonitorWaitingChuteText, kMonitorWaitingTopOfFormText,
                                        kTicketDoneText, kTicketDoneClearAllText}));
    std::chrono::steady_clock::time_point done;
    std::chrono::steady_clock::time_point clearAll;
    for (const auto& change : m_host.m_textChanges) {
        if (change.text == kTicketDoneText) {
            done = change.when;
        } else if (change.text == kTicketDoneClearAllText) {
            clearAll = change.when;
        }
    }
    EXPECT_GE(clearAll - done, 3000ms);

    const std::vector<uint8_t> expected = testing::ClearAllPacket(
        m_app->m_sequence.m_sequenceNumber == 1 ? 3 : m_app->m_sequence.m_sequenceNumber - 1);
    const RecordedTraffic traffic = Recorded(1);
    ASSERT_GE(traffic.packets.size(), 3u);
    const testing::RecordedPacket& last = traffic.packets.back();
    EXPECT_EQ(last.bytes, expected);
    EXPECT_EQ(last.bytes.size(), 15u);
    EXPECT_EQ(last.bytes[2], 15);
    // Nothing went out in the three seconds before it: the console waited.
    EXPECT_GE(last.ms - traffic.packets[traffic.packets.size() - 2].ms, 3000u);
    EXPECT_TRUE(traffic.stray.empty());
}

TEST_F(TicketSimTest, APrinterThatNeverGoesBusyTimesOutInStateOne) {
    StartSim(PrinterMode::Ventrix, 20, {"never-busy"});
    m_host.CheckButton(IDC_MONITOR, 1);
    m_dlg->OnMonitorCheck();
    PrintTicket("One", Line("T"));
    bool suspendedInside = false;
    m_host.m_insideMessageBox = [&] { suspendedInside = m_dlg->m_timerSuspended == 1; };
    int ticks = 0;
    while (m_host.m_messages.empty() && ticks < 200) {
        MainLoopRound(ticks % 20 == 0);  // polls now and then: the printer answers, not busy
        ++ticks;
    }
    EXPECT_EQ(ticks, 102);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].text,
              "Printer Monitor Timed out; State = 1\r\n\r\nProgram halted, Press OK to restart");
    EXPECT_EQ(m_host.m_messages[0].caption, kAppName);
    EXPECT_TRUE(suspendedInside);
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorDone);
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_MONITOR));
    EXPECT_EQ(m_host.IsButtonChecked(IDC_CHECKBUSY), 0);
    // The printer was asked and answered: its status packets came back.
    std::ifstream record(m_folder.File("record.txt"));
    std::string text((std::istreambuf_iterator<char>(record)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(" tx 02 "), std::string::npos);
}

TEST_F(TicketSimTest, RepeatPrintsWholeTicketsThatNeverInterleave) {
    StartSim(PrinterMode::Ventrix);
    m_host.SetItemText(IDC_REPEATCOUNT, "3");
    m_host.SetItemText(IDC_REPEATINTERVAL, "1000");
    m_host.CheckButton(IDC_REPEAT, 1);
    m_dlg->OnRepeatCheck();
    ASSERT_EQ(m_host.m_timers[TIMER_REPEAT], 1000u);
    // A repeat tick and a click on Print arrive in the middle of every line's pause.
    m_host.m_onDispatch = [&] {
        if (m_host.m_dispatches % 22 == 7) {
            m_dlg->OnTimer(TIMER_REPEAT);
            m_dlg->OnCommand(IDC_PRINT, kBnClicked);
        }
    };
    PrintTicket("Three", Line("1") + Line("2") + Line("3"));
    for (int repeat = 0; repeat < 3; ++repeat) {
        EXPECT_TRUE(m_host.IsTimerArmed(TIMER_REPEAT));
        m_dlg->OnTimer(TIMER_REPEAT);
    }
    EXPECT_EQ(m_host.GetItemText(IDC_REPEATCOUNT), "0");
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_REPEAT));
    EXPECT_TRUE(m_host.m_messages.empty());

    const RecordedTraffic traffic = Recorded(4 * 3 * 6);
    EXPECT_TRUE(traffic.stray.empty());
    ASSERT_EQ(traffic.packets.size(), 12u);
    for (size_t i = 0; i < traffic.packets.size(); ++i) {
        EXPECT_EQ(traffic.packets[i].bytes[3], '1' + i % 3) << i;
    }
}

TEST_F(TicketSimTest, AConnectionLostMidTicketStopsTheSend) {
    StartSim(PrinterMode::Ventrix, 20, {"drop-after 20"});
    std::string ticket;
    for (int line = 0; line < 10; ++line) {
        ticket += Line("ABCDEFGH");
    }
    m_dlg->m_monitorEnabled = 1;
    PrintTicket("Ten", ticket);
    // Only the lost connection is reported, with its reason.
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(
        LastMessage().text.rfind(
            "Lost connection to printer\r\nIOComm::Output() failed, GetLastError() returned: ", 0),
        0u)
        << LastMessage().text;
    EXPECT_FALSE(m_dlg->m_portOpen);
    EXPECT_LT(m_host.m_dispatches, 5 * 22);  // it did not write on into the void
    EXPECT_FALSE(m_dlg->IsSending());
    EXPECT_NE(m_dlg->m_monitorState, kMonitorWaitingBusy);  // an unfinished ticket is not followed
}

TEST_F(TicketSimTest, APortClosedAndOpenedAgainMidTicketGetsNoTail) {
    StartSim(PrinterMode::Ventrix);
    m_host.m_onDispatch = [&] {
        if (m_host.m_dispatches == 22 + 5) {  // in the pause after the second line
            m_app->m_ioComm.Close();
            m_dlg->m_portOpen = false;
        } else if (m_host.m_dispatches == 22 + 6) {
            OpenPort(m_sim->TcpAddress());
        }
    };
    PrintTicket("Four", Line("1") + Line("2") + Line("3") + Line("4"));
    EXPECT_EQ(LastMessage().text, kTicketInterruptedText);
    EXPECT_TRUE(testing::WaitUntil(
        [&] { return ReadRecordedTraffic(m_folder.File("record.txt")).connections == 2; }));
    const RecordedTraffic traffic = Recorded(2 * 6);
    EXPECT_EQ(traffic.packets.size(), 2u);
    EXPECT_EQ(traffic.receivedBytes, 2u * 6);
}

}  // namespace
}  // namespace kestrel
