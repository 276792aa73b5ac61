// The command-line file job on the console's fake window against the vantor-sim program: the
// ticket reaches the printer over TCP or its pseudo-terminal, failures send nothing and end the
// run with 1, and no message box waits for an operator.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "console/CommandLineJobFile.h"
#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "notation/EncodeCommandText.h"
#include "support/ConsoleTestFixture.h"
#include "support/FileBytes.h"
#include "support/LoopbackListener.h"
#include "support/SimProcess.h"
#include "support/Unprivileged.h"

namespace kestrel {
namespace {

using testing::ConsoleTest;
using testing::ReadFileBytes;
using testing::RecordedBytes;
using testing::RefusingLoopbackAddress;
using testing::SimProcess;
using testing::WaitForVentrixPackets;
using testing::WriteFileBytes;

constexpr std::chrono::milliseconds kArrivalWait{3000};
// How long a test that expects nothing gives the bytes to arrive anyway.
constexpr std::chrono::milliseconds kQuietWait{300};

// Three Ventrix data packets and a blank line, which is skipped.
const std::vector<std::string> kTicketLines = {
    "<0x02><0x04>FIRST LINE[CR][LF]",
    "<0x02><0x04>SECOND `a comment",
    "<0x02><0x04>THIRD <0x81>",
};

std::string TicketText() {
    return kTicketLines[0] + "\r\n\r\n" + kTicketLines[1] + "\r\n" + kTicketLines[2] + "\r\n";
}

class CommandLineJobTest : public ConsoleTest {
  protected:
    std::string Record() const { return m_folder.File("record.txt"); }

    void ExpectTheTicketsPackets() {
        const auto packets = WaitForVentrixPackets(Record(), kTicketLines.size(), kArrivalWait);
        ASSERT_EQ(packets.size(), kTicketLines.size());
        for (size_t i = 0; i < packets.size(); ++i) {
            const std::string line = EncodeCommandBytes(kTicketLines[i]);
            const std::vector<uint8_t>& packet = packets[i];
            ASSERT_EQ(packet.size(), line.size() + 3) << i;
            EXPECT_EQ(packet[0], 0x02);
            EXPECT_EQ(packet[1] & 0x1F, 0x04);
            EXPECT_EQ(std::string(packet.begin() + 3, packet.end() - 2), line.substr(2)) << i;
        }
    }

    // Runs the job's tick, as the timer does.
    void Tick() {
        ASSERT_TRUE(m_host.IsTimerArmed(TIMER_CMDLINE_JOB));
        EXPECT_EQ(m_host.m_timers[TIMER_CMDLINE_JOB], kCmdLineJobDelayMs);
        m_dlg->OnTimer(TIMER_CMDLINE_JOB);
        EXPECT_FALSE(m_host.IsTimerArmed(TIMER_CMDLINE_JOB));
    }

    void ExpectFailureWithoutTraffic(const std::string& logged) {
        EXPECT_EQ(m_host.m_endResult, kIdOk);
        EXPECT_EQ(m_app->m_jobExitCode, 1);
        EXPECT_TRUE(m_host.m_messages.empty());
        EXPECT_FALSE(m_dlg->m_portOpen);
        EXPECT_NE(ReadFileBytes(m_folder.File("Kestrel.log")).find(logged), std::string::npos)
            << ReadFileBytes(m_folder.File("Kestrel.log"));
        std::this_thread::sleep_for(kQuietWait);
        EXPECT_TRUE(RecordedBytes(Record(), "rx").empty());
    }
};

TEST_F(CommandLineJobTest, VentrixLinesGoOutBackToBackAndTheRunEndsWithZero) {
    SimProcess sim(VANTOR_SIM_BINARY, Record());
    ASSERT_TRUE(sim.Started());
    WriteFileBytes(m_folder.File("t.dmo"), TicketText());
    Start({"ventrix", "port:" + sim.TcpAddress(), "file:t.dmo", "exit"});
    EXPECT_TRUE(m_host.IsMinimized());
    Tick();

    EXPECT_EQ(m_host.m_endResult, kIdOk);
    EXPECT_EQ(m_app->m_jobExitCode, 0);
    EXPECT_TRUE(m_dlg->m_skipSettingsSave);
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_EQ(m_host.m_dispatches, 0);  // no pause between the lines
    EXPECT_FALSE(m_dlg->m_portOpen);
    EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMM");
    EXPECT_TRUE(m_pane.m_savedPaths.empty());
    ExpectTheTicketsPackets();

    End();
    EXPECT_FALSE(HasSetting("CmdSave"));
    EXPECT_FALSE(HasSetting("CommDataFilePathName"));
    EXPECT_EQ(SettingText("PortName"), sim.TcpAddress());
}

TEST_F(CommandLineJobTest, TheTicketReachesThePseudoTerminal) {
    const std::string link = m_folder.File("vantor-tty");
    SimProcess sim(VANTOR_SIM_BINARY, Record(), link);
    ASSERT_TRUE(sim.Started());
    WriteFileBytes(m_folder.File("t.dmo"), TicketText());
    Start({"ventrix", "port:" + link, "file:t.dmo", "exit"});
    Tick();
    EXPECT_EQ(m_app->m_jobExitCode, 0);
    EXPECT_TRUE(m_host.m_messages.empty());
    ExpectTheTicketsPackets();
}

TEST_F(CommandLineJobTest, WithoutExitTheWholeFileGoesOutAndTheConsoleStaysOpen) {
    SimProcess sim(VANTOR_SIM_BINARY, Record());
    ASSERT_TRUE(sim.Started());
    const std::string text = "[ESC]@HELLO<0x0d><0x0a>WORLD`note\n[FF]";
    WriteFileBytes(m_folder.File("plain.txt"), text);
    Start({"port:" + sim.TcpAddress(), "file:plain.txt"});
    ASSERT_NE(m_app->m_printerMode, 3);
    Tick();

    EXPECT_FALSE(m_host.m_endResult.has_value());
    EXPECT_TRUE(m_host.IsMinimized());
    EXPECT_TRUE(m_host.m_messages.empty());
    const std::string expected = EncodeCommandBytes(text);
    std::vector<uint8_t> received;
    const auto deadline = std::chrono::steady_clock::now() + kArrivalWait;
    while ((received = RecordedBytes(Record(), "rx")).size() < expected.size() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(std::string(received.begin(), received.end()), expected);

    // No tick does anything any more.
    const size_t timerCalls = m_host.m_timerCalls.size();
    for (const int id : {TIMER_STATUS_READ, TIMER_POLL, TIMER_REPEAT, TIMER_CMDLINE_JOB}) {
        m_dlg->OnTimer(id);
    }
    EXPECT_EQ(m_host.m_timerCalls.size(), timerCalls);
    End();
    EXPECT_TRUE(HasSetting("CmdSave"));
}

TEST_F(CommandLineJobTest, ABadFileSendsNothingAndEndsWithOne) {
    SimProcess sim(VANTOR_SIM_BINARY, Record());
    ASSERT_TRUE(sim.Started());
    std::filesystem::create_directory(m_folder.File("folder"));
    mkfifo(m_folder.File("fifo").c_str(), 0600);
    struct Case {
        const char* what;
        std::string name;
        const char* logged;
    };
    const Case cases[] = {
        {"missing", "missing.dmo", "Cannot open the ticket file \"missing.dmo\""},
        {"folder", "folder", "is not a regular file"},
        {"fifo", "fifo", "is not a regular file"},
        {"too long", std::string(kJobFileNameLimit, 'a'), "is too long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_host.m_endResult.reset();
        Start({"ventrix", "port:" + sim.TcpAddress(), "file:" + c.name, "exit"});
        Tick();
        ExpectFailureWithoutTraffic(c.logged);
        End();
    }
    // The port was never opened.
    EXPECT_EQ(ReadFileBytes(Record()).find("connect"), std::string::npos);
}

TEST_F(CommandLineJobTest, AnEmptyNameIsAFailure) {
    Start({"ventrix", "exit"});
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_CMDLINE_JOB));
    m_dlg->RunCommandLineJob();
    EXPECT_EQ(m_app->m_jobExitCode, 1);
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_NE(ReadFileBytes(m_folder.File("Kestrel.log")).find("No ticket file was named"),
              std::string::npos);
}

TEST_F(CommandLineJobTest, ARefusedPortSendsNothingAndEndsWithOne) {
    WriteFileBytes(m_folder.File("t.dmo"), TicketText());
    Start({"ventrix", "port:" + RefusingLoopbackAddress(), "file:t.dmo", "exit"});
    Tick();
    ExpectFailureWithoutTraffic("Cannot communicate with the printer.");
    EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMM");
    End();
    EXPECT_FALSE(HasSetting("CmdSave"));
}

// A printer that takes the connection and then reads nothing: the job waits while the printer
// takes nothing for the stall limit (lowered here; the peer still drives it), then reports the
// lost connection and the bytes that never left, and ends with 1. Reconnecting, though chosen,
// is not for the job: it never waits.
TEST_F(CommandLineJobTest, APrinterThatStopsReadingFailsTheJobWithWhatWasNotSent) {
    uint16_t port = 0;
    const int listener = testing::ListenWithoutReading(&port);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    ASSERT_TRUE(Settings()->SetDword("PrinterStallTimeout", 500));
    ASSERT_TRUE(Settings()->SetDword("ReconnectAutomatically", 1));
    const std::string line = "<0x02><0x04>" + std::string(240, 'A');
    const int lines = 40;
    const long total = lines * static_cast<long>(EncodeCommandBytes(line).size() + 3);
    std::string ticket;
    for (int i = 0; i < lines; ++i) {
        ticket += line + "\r\n";
    }
    WriteFileBytes(m_folder.File("t.dmo"), ticket);
    m_realTime = true;
    Start({"ventrix", "port:" + address, "file:t.dmo", "exit"});
    Tick();
    EXPECT_EQ(m_app->m_jobExitCode, 1);
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_TRUE(m_dlg->m_reconnectChosen);
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_RECONNECT));
    const std::string log = ReadFileBytes(m_folder.File("Kestrel.log"));
    EXPECT_EQ(log.find("Waiting for"), std::string::npos);
    EXPECT_NE(log.find("Lost connection to printer (port " + address + ")"), std::string::npos)
        << log;
    EXPECT_NE(log.find("IOComm::Output() failed, GetLastError() returned: 110 (the printer took "
                       "nothing for 500 ms)"),
              std::string::npos);
    // What did not leave is what never reached the printer.
    std::smatch count;
    ASSERT_TRUE(std::regex_search(log, count,
                                  std::regex(R"(failed: (\d+) bytes of "t\.dmo" were not sent\.)")))
        << log;
    const long notSent = std::stol(count[1]);
    const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    int arrived = 0;
    ASSERT_EQ(ioctl(connection, FIONREAD, &arrived), 0);
    EXPECT_GT(notSent, 0);
    EXPECT_EQ(notSent + arrived, total);
    close(connection);
    close(listener);
}

TEST(CheckJobFile, RefusesWhatCannotBeSent) {
    testing::ScratchFolder folder;
    WriteFileBytes(folder.File("ticket.dmo"), "x");
    WriteFileBytes(folder.File("empty.dmo"), "");
    std::filesystem::create_directory(folder.File("folder"));
    mkfifo(folder.File("fifo").c_str(), 0600);
    struct Case {
        std::string name;
        bool accepted;
        const char* error;
    };
    const Case cases[] = {
        {folder.File("ticket.dmo"), true, ""},
        {folder.File("empty.dmo"), true, ""},
        {"", false, "No ticket file was named"},
        {std::string(kJobFileNameLimit, 'b'), false, "too long"},
        {std::string(kJobFileNameLimit - 1, 'b'), false, "Cannot open"},
        {folder.File("nothing.dmo"), false, "No such file"},
        {folder.File("folder"), false, "not a regular file"},
        {folder.File("fifo"), false, "not a regular file"},
        {"/dev/null", false, "not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 80));
        std::string error;
        EXPECT_EQ(CheckJobFile(c.name, &error), c.accepted);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(CheckJobFile, RefusesAFileThatCannotBeRead) {
    testing::ScratchFolder folder;
    const std::string path = folder.File("secret.dmo");
    WriteFileBytes(path, "x");
    chmod(path.c_str(), 0200);
    const int result = testing::RunUnprivileged(folder.Path(), [&] {
        std::string error;
        return !CheckJobFile(path, &error) && error.find("Permission denied") != std::string::npos
                   ? 0
                   : 1;
    });
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace kestrel
