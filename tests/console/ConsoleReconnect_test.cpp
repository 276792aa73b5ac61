// Reconnecting against real peers: the simulator program stopped and started again on its TCP/IP
// address and behind its pseudo-terminal link, and a printer that accepts and closes at once.
// The ticks are driven here one at a time, so every attempt to open is counted.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <filesystem>

#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "support/ConsoleTestFixture.h"
#include "support/LoopbackListener.h"
#include "support/PseudoTerminal.h"
#include "support/SimProcess.h"

namespace kestrel {
namespace {

using testing::SimProcess;

class ConsoleReconnectTest : public testing::ConsoleTest {
  protected:
    // Opens `portName` with "Reconnect automatically" chosen.
    void OpenWithReconnect(const std::string& portName) {
        Start();
        m_dlg->OnCommand(ID_RECONNECTAUTOMATICALLY, 0);
        m_app->m_portName = portName;
        Click(IDC_COMM);
        ASSERT_TRUE(m_dlg->m_portOpen) << m_app->m_ioComm.m_lastError;
    }
    // Waiting (no box, the open-port images, the once-a-second tick), or back again.
    void ExpectWaiting(bool waiting) {
        const std::string& name = m_app->m_portName;
        EXPECT_EQ(m_dlg->m_waitingForPort, waiting);
        EXPECT_EQ(m_dlg->m_portOpen, !waiting) << m_app->m_ioComm.m_lastError;
        EXPECT_TRUE(m_host.m_messages.empty());
        EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE1),
                  waiting ? "Waiting for " + name + " to come back ..."
                          : "Port identity is: " + name + " (back at " + m_clock.m_localTime + ")");
        EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], waiting ? "COMM" : "COMMCLOSE");
        EXPECT_EQ(m_host.IsTimerArmed(TIMER_RECONNECT), waiting);
        if (waiting && m_host.IsTimerArmed(TIMER_RECONNECT)) {
            EXPECT_EQ(m_host.m_timers.at(TIMER_RECONNECT), 1000u);
        }
    }
    // Polls once; true when the simulator recorded the poll.
    bool PollReaches(const std::string& record) {
        m_host.SetItemText(IDC_POLLCOMBO, "[GS]y");
        m_dlg->OnTimer(TIMER_POLL);
        return testing::WaitUntil([&] { return !testing::RecordedBytes(record, "rx").empty(); });
    }
};

// The printer's process ends and starts again on the same address: refused attempts keep the
// wait, the first that connects ends it, and polling goes on over the new connection.
TEST_F(ConsoleReconnectTest, ASimulatorRestartedOnItsAddressIsTakenUpAgain) {
    auto sim = std::make_unique<SimProcess>(VANTOR_SIM_BINARY);
    const std::string address = sim->TcpAddress();
    OpenWithReconnect(address);
    Click(IDC_POLLBUTTON);
    sim.reset();
    m_dlg->OnTimer(TIMER_STATUS_READ);
    ExpectWaiting(true);
    m_dlg->OnTimer(TIMER_RECONNECT);
    EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE2), address + " refused the connection");

    sim = std::make_unique<SimProcess>(VANTOR_SIM_BINARY, m_folder.File("rec.txt"), "", address);
    ASSERT_EQ(sim->TcpAddress(), address);
    m_dlg->OnTimer(TIMER_RECONNECT);
    ExpectWaiting(false);
    EXPECT_TRUE(PollReaches(m_folder.File("rec.txt")));
    const std::string log = AppLog();
    EXPECT_NE(log.find("Lost connection to printer\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(address + " came back"), std::string::npos) << log;
    EXPECT_EQ(SettingText("ReconnectAutomatically"), "\x01");
}

// The terminal goes with its link and comes back behind it as another terminal, held for a
// while by another program (the reason is shown, the wait goes on); then ten drops in a row.
TEST_F(ConsoleReconnectTest, ATerminalRecreatedBehindItsLinkIsTakenUpAgain) {
    const std::string link = m_folder.File("printer-link");
    auto sim = std::make_unique<SimProcess>(VANTOR_SIM_BINARY, "", link);
    const std::filesystem::path first = std::filesystem::read_symlink(link);
    OpenWithReconnect(link);
    sim.reset();
    m_dlg->OnTimer(TIMER_STATUS_READ);
    ExpectWaiting(true);
    testing::PseudoTerminal taken;  // the old terminal's number: the link comes back as another
    m_dlg->OnTimer(TIMER_RECONNECT);
    EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE2), link + " does not exist");

    sim = std::make_unique<SimProcess>(VANTOR_SIM_BINARY, m_folder.File("rec.txt"), link);
    EXPECT_NE(std::filesystem::read_symlink(link), first);
    const int other = open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    m_dlg->OnTimer(TIMER_RECONNECT);
    EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE2), link + " is in use by another program");
    EXPECT_NE(AppLog().find("in use by another program"), std::string::npos);
    close(other);
    m_dlg->OnTimer(TIMER_RECONNECT);
    ExpectWaiting(false);
    EXPECT_TRUE(PollReaches(m_folder.File("rec.txt")));

    for (int drop = 0; drop < 10; ++drop) {
        ASSERT_EQ(sim->Control("drop"), "ok");
        EXPECT_TRUE(testing::WaitUntil([&] {
            m_dlg->OnTimer(TIMER_STATUS_READ);
            return m_dlg->m_waitingForPort;
        }));
        m_dlg->OnTimer(TIMER_RECONNECT);
        ExpectWaiting(false);
    }
}

// A printer that accepts and closes at once: the connection is lost at the next read tick, and
// only the once-a-second tick tries again, with one connection; reads never do. COMM then stops
// the wait without the port dialog.
TEST_F(ConsoleReconnectTest, APrinterThatClosesAtOnceIsTriedOnlyByTheSecondTick) {
    uint16_t port = 0;
    const int listener = testing::ListenOnLoopback(8, &port);
    const auto acceptAndClose = [&] {
        int accepted = 0;
        for (pollfd entry{listener, POLLIN, 0}; poll(&entry, 1, 0) > 0; ++accepted) {
            close(accept(listener, nullptr, nullptr));
        }
        return accepted;
    };
    OpenWithReconnect("127.0.0.1:" + std::to_string(port));
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(acceptAndClose(), 1);
        for (int tick = 0; tick < 5; ++tick) {
            m_dlg->OnTimer(TIMER_STATUS_READ);
        }
        ExpectWaiting(true);
        EXPECT_EQ(acceptAndClose(), 0) << "a read tick connected";
        if (round == 0) {
            m_dlg->OnTimer(TIMER_RECONNECT);
        }
    }
    Click(IDC_COMM);
    EXPECT_FALSE(m_dlg->m_waitingForPort);
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_RECONNECT));
    EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE1), "Port identity is: " + m_app->m_portName);
    EXPECT_EQ(m_host.m_dialogsRun.size(), 1u);  // the first open's only
    close(listener);
}

}  // namespace
}  // namespace kestrel
