// Reconnecting against real peers: the simulator program stopped and started again on the same
// TCP/IP port and behind the same pseudo-terminal link, and a printer that accepts and closes
// at once. The ticks are driven here, one at a time, so every attempt to open is counted.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "support/ConsoleTestFixture.h"
#include "support/LoopbackListener.h"
#include "support/PseudoTerminal.h"
#include "support/SimProcess.h"

namespace kestrel {
namespace {

using testing::ConsoleTest;
using testing::SimProcess;

class ConsoleReconnectTest : public ConsoleTest {
  protected:
    // A console with "Reconnect automatically" chosen, its port open on `portName`.
    void OpenWithReconnect(const std::string& portName) {
        Start();
        m_dlg->OnCommand(ID_RECONNECTAUTOMATICALLY, 0);
        m_app->m_portName = portName;
        Click(IDC_COMM);
        ASSERT_TRUE(m_dlg->m_portOpen) << m_app->m_ioComm.m_lastError;
    }
    void ExpectWaiting(const std::string& portName) {
        EXPECT_TRUE(m_dlg->m_waitingForPort);
        EXPECT_FALSE(m_dlg->m_portOpen);
        EXPECT_TRUE(m_host.m_messages.empty()) << m_host.m_messages[0].text;
        EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE1),
                  "Waiting for " + portName + " to come back ...");
        EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMM");
        EXPECT_EQ(m_host.m_timers[TIMER_RECONNECT], 1000u);
    }
    void ExpectBack(const std::string& portName) {
        EXPECT_TRUE(m_dlg->m_portOpen) << m_app->m_ioComm.m_lastError;
        EXPECT_FALSE(m_dlg->m_waitingForPort);
        EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE1),
                  "Port identity is: " + portName + " (back at " + m_clock.m_localTime + ")");
        EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMMCLOSE");
        EXPECT_FALSE(m_host.IsTimerArmed(TIMER_RECONNECT));
    }
    // Polls once; true when the simulator recorded the poll's bytes.
    bool PollReaches(const std::string& record) {
        m_host.SetItemText(IDC_POLLCOMBO, "[GS]y");
        m_dlg->OnTimer(TIMER_POLL);
        return testing::WaitUntil([&] { return !testing::RecordedBytes(record, "rx").empty(); });
    }
};

// The printer's process ends and starts again on the same address: the console waits through
// refused attempts, is back on the first one that connects, and the polling goes on over it.
TEST_F(ConsoleReconnectTest, ASimulatorRestartedOnItsAddressIsTakenUpAgain) {
    auto sim = std::make_unique<SimProcess>(VANTOR_SIM_BINARY, m_folder.File("first.txt"));
    ASSERT_TRUE(sim->Started());
    const std::string address = sim->TcpAddress();
    OpenWithReconnect(address);
    Click(IDC_POLLBUTTON);
    ASSERT_TRUE(PollReaches(m_folder.File("first.txt")));

    sim.reset();
    m_dlg->OnTimer(TIMER_STATUS_READ);
    ExpectWaiting(address);
    EXPECT_NE(AppLog().find("Lost connection to printer\r\n"), std::string::npos) << AppLog();
    m_dlg->OnTimer(TIMER_RECONNECT);
    EXPECT_TRUE(m_dlg->m_waitingForPort);
    EXPECT_NE(m_host.GetItemText(IDC_INFOLINE2).find("refused the connection"), std::string::npos);

    sim = std::make_unique<SimProcess>(VANTOR_SIM_BINARY, m_folder.File("second.txt"), "", address);
    ASSERT_EQ(sim->TcpAddress(), address);
    m_dlg->OnTimer(TIMER_RECONNECT);
    ExpectBack(address);
    EXPECT_TRUE(PollReaches(m_folder.File("second.txt")));
    EXPECT_NE(AppLog().find(address + " came back"), std::string::npos);
    EXPECT_EQ(SettingText("ReconnectAutomatically"), "\x01");
}

// The simulator's pseudo-terminal goes away with its link and comes back behind the same link
// as another terminal. Meanwhile another program holds it: the reason is shown, the wait goes on.
TEST_F(ConsoleReconnectTest, ATerminalRecreatedBehindItsLinkIsTakenUpAgain) {
    const std::string link = m_folder.File("printer-link");
    auto sim = std::make_unique<SimProcess>(VANTOR_SIM_BINARY, "", link);
    ASSERT_TRUE(sim->Started());
    const std::string firstTerminal = std::filesystem::read_symlink(link);
    OpenWithReconnect(link);

    sim.reset();
    ASSERT_FALSE(std::filesystem::exists(link));
    m_dlg->OnTimer(TIMER_STATUS_READ);
    ExpectWaiting(link);
    testing::PseudoTerminal taken;  // the old terminal's number: the link comes back as another
    m_dlg->OnTimer(TIMER_RECONNECT);
    EXPECT_NE(m_host.GetItemText(IDC_INFOLINE2).find("does not exist"), std::string::npos);

    sim = std::make_unique<SimProcess>(VANTOR_SIM_BINARY, m_folder.File("second.txt"), link);
    ASSERT_TRUE(sim->Started());
    EXPECT_NE(std::filesystem::read_symlink(link), firstTerminal);
    const int other = open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    m_dlg->OnTimer(TIMER_RECONNECT);
    EXPECT_TRUE(m_dlg->m_waitingForPort);
    EXPECT_NE(m_host.GetItemText(IDC_INFOLINE2).find("in use by another program"),
              std::string::npos);
    EXPECT_NE(AppLog().find("in use by another program"), std::string::npos);
    close(other);

    m_dlg->OnTimer(TIMER_RECONNECT);
    ExpectBack(link);
    Click(IDC_POLLBUTTON);
    EXPECT_TRUE(PollReaches(m_folder.File("second.txt")));

    // Pulled and plugged in again ten times over: back at the first attempt each time.
    for (int drop = 0; drop < 10; ++drop) {
        ASSERT_EQ(sim->Control("drop"), "ok");
        EXPECT_TRUE(testing::WaitUntil([&] {
            m_dlg->OnTimer(TIMER_STATUS_READ);
            return m_dlg->m_waitingForPort;
        })) << drop;
        m_dlg->OnTimer(TIMER_RECONNECT);
        ASSERT_TRUE(m_dlg->m_portOpen) << drop << ": " << m_app->m_ioComm.m_lastError;
    }
    EXPECT_TRUE(m_host.m_messages.empty());
}

// A printer that accepts and closes at once: every connection is lost at the next read tick,
// and only the once-a-second tick tries again, one connection each; reads never do. COMM then
// stops the waiting without opening the port dialog.
TEST_F(ConsoleReconnectTest, APrinterThatClosesAtOnceIsTriedOnlyByTheSecondTick) {
    uint16_t port = 0;
    const int listener = testing::ListenOnLoopback(8, &port);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    const auto acceptAndClose = [&] {
        int accepted = 0;
        pollfd entry{listener, POLLIN, 0};
        while (poll(&entry, 1, 0) > 0) {
            close(accept(listener, nullptr, nullptr));
            ++accepted;
        }
        return accepted;
    };
    OpenWithReconnect(address);
    ASSERT_EQ(acceptAndClose(), 1);
    for (int round = 0; round < 3; ++round) {
        for (int tick = 0; tick < 5; ++tick) {
            m_dlg->OnTimer(TIMER_STATUS_READ);
        }
        ExpectWaiting(address);
        EXPECT_EQ(acceptAndClose(), 0) << "a read tick connected";
        m_dlg->OnTimer(TIMER_RECONNECT);
        EXPECT_EQ(acceptAndClose(), 1) << "round " << round;
        EXPECT_TRUE(m_dlg->m_portOpen);
    }
    m_dlg->OnTimer(TIMER_STATUS_READ);
    ExpectWaiting(address);
    Click(IDC_COMM);
    EXPECT_FALSE(m_dlg->m_waitingForPort);
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_RECONNECT));
    EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE1), "Port identity is: " + address);
    EXPECT_EQ(m_host.m_dialogsRun.size(), 1u);  // the first open's only
    m_dlg->OnTimer(TIMER_RECONNECT);
    EXPECT_EQ(acceptAndClose(), 0);
    close(listener);
}

}  // namespace
}  // namespace kestrel
